// The session window's text view under a flood: 100,000 coloured lines appended one by
// one through the model, then painting and scrolling. Runs offscreen.
#include "doubles/PortFakes.h"
#include "gui/SessionWindow.h"
#include "gui/TextView.h"
#include "session/LineFormatter.h"

#include <QApplication>
#include <QScrollBar>

#include <benchmark/benchmark.h>
#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

using namespace pell;

namespace {

using test::NoSaveDialog;
using test::QuietDesktop;
using test::QuietPrompts;

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::string colouredLine(int i)
{
    return "line " + std::to_string(i) + " \x03" "4red\x03" "3 green \x02" "bold\x02 \x1F" "under\x1F see http://example.org/"
           + std::to_string(i);
}

struct Window {
    settings::AppSettings settings;
    session::SessionShared shared;
    QuietDesktop desktop;
    QuietPrompts prompts;
    NoSaveDialog saveDialog;
    gui::SessionWindow window;
    session::SessionModel model{settings, shared, session::SessionPorts{window, desktop, prompts, saveDialog}};

    Window()
    {
        window.attach(&model);
        model.Tabs().NewChannel("#flood");
        window.show();
        QApplication::processEvents();
    }
    ~Window() { window.attach(nullptr); }
    gui::TextView* view() { return window.textViewOf(model.Tabs().Active().Id); }
    void fill(int lines)
    {
        for (int i = 0; i < lines; ++i) {
            model.AddText("#flood", "bob", colouredLine(i), session::RgbColour(0, 0, 0x80));
            // Lines reach the GUI thread in bursts; the event loop runs between them.
            if (i % 100 == 99)
                QApplication::processEvents();
        }
        view()->flushAppends();
        view()->viewport()->repaint();
    }
};

void BM_Append100kColouredLines(benchmark::State& state)
{
    double growth = 0;
    for (auto _ : state) {
        const double before = residentMiB();
        auto window = std::make_unique<Window>();
        window->fill(100000);
        // Freed memory stays with the process, so later rounds reuse the first one's.
        growth = std::max(growth, residentMiB() - before);
        state.counters["rss_growth_MiB"] = growth;
        state.counters["lines"] = static_cast<double>(window->model.Tabs().Active().Text->size());
        state.counters["at_bottom"] = window->view()->isPinnedToBottom();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Append100kColouredLines)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PaintBottomOf100k(benchmark::State& state)
{
    Window window;
    window.fill(100000);
    for (auto _ : state)
        window.view()->viewport()->repaint();
}
BENCHMARK(BM_PaintBottomOf100k)->Unit(benchmark::kMicrosecond);

// Every paint lands on lines not laid out before: the cost of a page the user jumps to.
void BM_JumpAndPaintIn100k(benchmark::State& state)
{
    Window window;
    window.fill(100000);
    QScrollBar* bar = window.view()->verticalScrollBar();
    int at = 0;
    for (auto _ : state) {
        at = (at + 7919) % bar->maximum();
        bar->setValue(at);
        window.view()->viewport()->repaint();
    }
}
BENCHMARK(BM_JumpAndPaintIn100k)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
