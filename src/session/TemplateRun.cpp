#include "session/TemplateRun.h"

#include "irc/Client.h"
#include "session/SessionCommands.h"
#include "settings/LineText.h"
#include "settings/SettingsError.h"

#include <exception>

namespace pell::session {

TemplateRun::TemplateRun(irc::Client& irc, SessionCommands& commands, const settings::AppSettings& settings,
                         platform::UserPrompts& prompts)
    : irc_(irc), commands_(commands), settings_(settings), prompts_(prompts)
{
}

void TemplateRun::Run(const settings::TemplateStore& store, const std::string& name)
{
    // A copy: the editor may change the store between ticks.
    queue_ = store.body(name).value_or(settings::Lines{});
    index_ = 0;
    try {
        interval_ = settings::ParseInt32(settings_.ScriptDelay);
    } catch (const settings::ConversionError& error) {
        // The old run must not go on with the new lines.
        setRunning(false);
        prompts_.showError(error.what());
        return;
    }
    // A timer without a positive interval never fires: nothing is sent.
    setRunning(interval_ > 0);
}

void TemplateRun::onSendTimerTick()
{
    if (!running_)
        return;
    if (!irc_.Connected() || index_ >= queue_.size()) {
        setRunning(false);
        return;
    }
    // Counted before sending, so a line that fails is not tried again.
    const std::string line = queue_[index_++];
    try {
        commands_.SendTemplateLine(line);
    } catch (const std::exception& error) {
        // The connection broke under the write: the run ends here, as the next tick would.
        setRunning(false);
        prompts_.showError(error.what());
    }
}

void TemplateRun::Stop()
{
    setRunning(false);
}

void TemplateRun::setRunning(bool running)
{
    if (running_ == running && !running)
        return;
    running_ = running;
    if (TimerChanged)
        TimerChanged();
}

} // namespace pell::session
