#pragma once

#include "platform/Desktop.h"
#include "platform/UserPrompts.h"

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace pell::test {

// Desktop and user ports that answer nothing, for headless runs (benchmarks, fuzzing):
// the main window counts as in front (so nothing flashes), nothing opens, every
// question is cancelled.
struct QuietDesktop : platform::Desktop {
    bool isMainWindowInFront() const override { return true; }
    void flashWindow() override {}
    void openUrl(const std::string&) override {}
};

struct QuietPrompts : platform::UserPrompts {
    void showError(const std::string&) override {}
    std::optional<std::string> askText(const std::string&, const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

struct NoSaveDialog : platform::SaveFileDialog {
    std::optional<std::string> askSaveFileName(const std::string&, const std::string&) override { return {}; }
};

// Ports that record what they were asked, for tests that check it.
struct FakeDesktop : platform::Desktop {
    bool inFront = false;
    int flashes = 0;
    std::vector<std::string> opened;
    bool throwOnOpen = false;
    std::vector<std::string> notified; // "title|body"
    bool isMainWindowInFront() const override { return inFront; }
    void flashWindow() override { ++flashes; }
    void notify(const std::string& title, const std::string& body) override { notified.push_back(title + "|" + body); }
    void openUrl(const std::string& url) override
    {
        opened.push_back(url);
        if (throwOnOpen)
            throw std::runtime_error("no browser");
    }
};

// Prompts answered from queues; an empty queue cancels (text) or says No. Each prompt
// shown is recorded as "caption|label|default" or "caption|question". `whileOpen` runs
// once while the next prompt is open, as the event loop of a real box would.
struct FakePrompts : platform::UserPrompts {
    std::vector<std::string> errors;
    std::vector<std::string> asked;
    std::deque<std::optional<std::string>> textAnswers;
    std::deque<bool> yesNoAnswers;
    std::function<void()> whileOpen;
    void showError(const std::string& message) override { errors.push_back(message); }
    std::optional<std::string> askText(const std::string& caption, const std::string& label,
                                       const std::string& defaultText) override
    {
        asked.push_back(caption + "|" + label + "|" + defaultText);
        runWhileOpen();
        return pop(textAnswers, std::optional<std::string>());
    }
    bool askYesNo(const std::string& caption, const std::string& question) override
    {
        asked.push_back(caption + "|" + question);
        runWhileOpen();
        return pop(yesNoAnswers, false);
    }
    // A question that holds nobody: answered at once like askYesNo, or with `holdOpen`
    // left open until answer().
    bool holdOpen = false;
    std::deque<std::function<void(bool)>> open;
    std::unique_ptr<platform::OpenQuestion> askYesNoLater(const std::string& caption, const std::string& question,
                                                          std::function<void(bool)> answered) override
    {
        if (!holdOpen)
            return UserPrompts::askYesNoLater(caption, question, std::move(answered));
        asked.push_back(caption + "|" + question);
        open.push_back(std::move(answered));
        return nullptr;
    }
    void answer(bool yes) { pop(open, std::function<void(bool)>([](bool) {}))(yes); }
    void runWhileOpen()
    {
        if (const auto routine = std::exchange(whileOpen, nullptr))
            routine();
    }
    template <typename T> static T pop(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T first = std::move(queue.front());
        queue.pop_front();
        return first;
    }
};

struct FakeSaveDialog : platform::SaveFileDialog {
    std::optional<std::string> answer;
    std::string filterName, pattern;
    std::optional<std::string> askSaveFileName(const std::string& name, const std::string& filter) override
    {
        filterName = name;
        pattern = filter;
        return answer;
    }
};

} // namespace pell::test
