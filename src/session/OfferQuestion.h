#pragma once

#include "platform/GuiDispatcher.h"
#include "platform/UserPrompts.h"

#include <functional>
#include <memory>
#include <string>

namespace pell::session {

// The one question a session asks about peers' offers at a time. Offers arrive while
// the engine handles a batch of server lines that the reader thread waits on; the
// question is asked once that batch has returned, in a box that holds nobody, so a
// session with a question open goes on reading, answering PINGs and showing lines.
class OfferQuestion {
public:
    OfferQuestion(platform::UserPrompts& prompts, platform::GuiDispatcher& gui);
    ~OfferQuestion();
    OfferQuestion(const OfferQuestion&) = delete;
    OfferQuestion& operator=(const OfferQuestion&) = delete;

    // Queues the question; `answered` runs with the user's answer. False, and nothing
    // queued, while another question is open or waiting: the caller drops its offer.
    bool Ask(std::string question, std::function<void(bool yes)> answered);
    // True from Ask until the answer has been handled.
    bool Busy() const { return busy_; }

private:
    void open();
    void answer(bool yes);

    platform::UserPrompts& prompts_;
    platform::GuiDispatcher& gui_;
    std::shared_ptr<OfferQuestion*> self_ = std::make_shared<OfferQuestion*>(this);
    bool busy_ = false;
    std::string question_;
    std::function<void(bool)> answered_;
    std::unique_ptr<platform::OpenQuestion> box_;
};

} // namespace pell::session
