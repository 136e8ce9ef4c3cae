#include "gui/QtDesktop.h"

#include "app/LinkPolicy.h"

#include "gui/TextDecoding.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QWidget>

namespace pell::gui {

bool QtDesktop::isMainWindowInFront() const
{
    const QWidget* active = QApplication::activeWindow();
    return active && window_ && active == window_->window();
}

void QtDesktop::flashWindow()
{
    if (window_)
        QApplication::alert(window_->window());
}

void QtDesktop::openUrl(const std::string& url)
{
    const auto allowed = app::openableUrl(url);
    if (!allowed)
        return;
    const QUrl address(QString::fromUtf8(allowed->data(), static_cast<qsizetype>(allowed->size())),
                       QUrl::StrictMode);
    if (address.isValid())
        QDesktopServices::openUrl(address);
}

// Fire and forget: with no service (or no bus) the call fails quietly and nothing shows.
// The body is the peer's text: escaped, since many services read a little markup.
void QtDesktop::notify(const std::string& title, const std::string& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("pell-irc"));
    hints.insert(QStringLiteral("category"), QStringLiteral("im.received"));
    call << QStringLiteral("Pell-IRC") << 0u << QStringLiteral("pell-irc") << DecodeLine(title)
         << DecodeLine(body).toHtmlEscaped() << QStringList() << hints << -1;
    bus.send(call);
}

void QtDesktop::openFolder(const std::string& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
}

} // namespace pell::gui
