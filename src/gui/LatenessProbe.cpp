#include "gui/LatenessProbe.h"

#include <QTimer>

namespace pell::gui {

LatenessProbe::LatenessProbe(int intervalMs, QObject* parent)
    : QObject(parent), timer_(new QTimer(this)), interval_(intervalMs)
{
    timer_->setTimerType(Qt::PreciseTimer);
    timer_->setInterval(intervalMs);
    connect(timer_, &QTimer::timeout, this, &LatenessProbe::tick);
    clock_.start();
    last_ = clock_.elapsed();
    timer_->start();
}

LatenessProbe::~LatenessProbe()
{
    if (log_)
        std::fclose(log_);
}

LatenessProbe* LatenessProbe::fromEnvironment(QObject* parent)
{
    const QString path = qEnvironmentVariable("PELL_IRC_LATENESS_LOG");
    if (path.isEmpty())
        return nullptr;
    auto* probe = new LatenessProbe(50, parent);
    probe->logTo(path);
    return probe;
}

void LatenessProbe::logTo(const QString& path)
{
    if (log_)
        std::fclose(log_);
    log_ = std::fopen(path.toLocal8Bit().constData(), "a");
}

void LatenessProbe::tick()
{
    const qint64 now = clock_.elapsed();
    const int gap = static_cast<int>(now - last_);
    last_ = now;
    longest_ = std::max(longest_, gap);
    // Written at once: the benchmark may end the program without letting it exit.
    if (log_ && gap > interval_ * 3 / 2) {
        std::fprintf(log_, "%lld %d\n", static_cast<long long>(clock_.msecsSinceReference() + now), gap);
        std::fflush(log_);
    }
}

} // namespace pell::gui
