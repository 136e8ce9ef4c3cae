#include "session/OfferQuestion.h"

namespace pell::session {

OfferQuestion::OfferQuestion(platform::UserPrompts& prompts, platform::GuiDispatcher& gui)
    : prompts_(prompts), gui_(gui)
{
}

OfferQuestion::~OfferQuestion()
{
    *self_ = nullptr; // an answer or an opening still on its way finds nobody
    box_.reset();
}

bool OfferQuestion::Ask(std::string question, std::function<void(bool yes)> answered)
{
    if (busy_)
        return false;
    busy_ = true;
    question_ = std::move(question);
    answered_ = std::move(answered);
    gui_.post([self = self_] {
        if (*self)
            (*self)->open();
    });
    return true;
}

void OfferQuestion::open()
{
    box_.reset();
    // The answer may come before askYesNoLater returns (ports without a box of their
    // own); it then finds the question already handled.
    auto box = prompts_.askYesNoLater("Confirm", question_, [self = self_](bool yes) {
        if (*self)
            (*self)->answer(yes);
    });
    if (busy_)
        box_ = std::move(box);
}

void OfferQuestion::answer(bool yes)
{
    if (!busy_)
        return;
    busy_ = false;
    const auto answered = std::move(answered_);
    answered_ = nullptr;
    answered(yes);
}

} // namespace pell::session
