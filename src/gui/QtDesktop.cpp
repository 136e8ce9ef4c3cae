#include "gui/QtDesktop.h"

#include "app/LinkPolicy.h"

#include <QApplication>
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

void QtDesktop::openFolder(const std::string& folder)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(folder.c_str())));
}

} // namespace pell::gui
