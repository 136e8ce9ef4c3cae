#include "gui/SplashWindow.h"

#include "gui/JpegImage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace pell::gui {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      picture_(jpegResource(QStringLiteral(":/pell/resources/splash.jpg")))
{
    setFixedSize(374, 215);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::showFor(std::chrono::milliseconds time)
{
    show();
    // The window system maps the window asynchronously; paint only once it can be seen,
    // but never wait long for a window system that does not say so.
    QElapsedTimer mapping;
    mapping.start();
    while (!(windowHandle() && windowHandle()->isExposed()) && mapping.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(static_cast<unsigned long>(time.count()));
    close();
}

void SplashWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (picture_.isNull())
        painter.fillRect(rect(), QColor(11, 42, 91));
    else
        painter.drawImage(rect(), picture_);
}

} // namespace pell::gui
