#include "gui/QtGuiDispatcher.h"

#include <QCoreApplication>
#include <QThread>

namespace pell::gui {

void QtGuiDispatcher::post(std::function<void()> routine)
{
    QMetaObject::invokeMethod(&context_, std::move(routine), Qt::QueuedConnection);
}

bool QtGuiDispatcher::isGuiThread() const
{
    return QThread::currentThread() == context_.thread();
}

void QtGuiDispatcher::processEvents()
{
    QCoreApplication::processEvents();
}

} // namespace pell::gui
