#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdio>

class QTimer;

namespace pell::gui {

// Measures how long the GUI thread keeps its timers waiting: a timer that should tick
// every interval records the longest gap between two of its ticks. A gap well above
// the interval means repaints and key presses waited that long too. Benchmarks turn
// it on for the whole program with PELL_IRC_LATENESS_LOG (see fromEnvironment).
class LatenessProbe : public QObject {
    Q_OBJECT
public:
    explicit LatenessProbe(int intervalMs = 50, QObject* parent = nullptr);
    ~LatenessProbe() override;

    // When set, every gap longer than one and a half intervals is appended to the file
    // as "<monotonic clock ms> <gap ms>", so a script can pick the gaps of its own time
    // window; the program's users never set it.
    static LatenessProbe* fromEnvironment(QObject* parent);
    void logTo(const QString& path);

    int longestGapMs() const { return longest_; }
    void reset() { longest_ = 0; }

private:
    void tick();

    QTimer* timer_ = nullptr;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    int interval_;
    int longest_ = 0;
    std::FILE* log_ = nullptr;
};

} // namespace pell::gui
