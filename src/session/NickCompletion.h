#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

// How a server compares nicks (its CASEMAPPING): rfc1459, the default, also takes
// "[]\~" for the capitals of "{}|^"; strict-rfc1459 leaves "~" and "^" apart.
enum class CaseMapping { Ascii, Rfc1459, StrictRfc1459 };

CaseMapping CaseMappingNamed(std::string_view name);
std::string FoldWith(CaseMapping mapping, std::string_view text);

// Who spoke last where: per channel or query (by folded name), the most recent first.
class RecentSpeakers {
public:
    void Spoke(std::string_view where, std::string_view nick);
    const std::deque<std::string>& In(std::string_view where) const;
    void Forget() { byPlace_.clear(); }

private:
    static constexpr std::size_t Kept = 64;
    std::map<std::string, std::deque<std::string>, std::less<>> byPlace_;
};

// Tab completion in the input line. The word before the cursor is completed from the
// candidates in the order given; Tab again (on the line as completion left it) moves to
// the next match, Shift+Tab to the one before. A nick completed at the start of the line
// gets ": " after it, any other word a blank.
class NickCompletion {
public:
    struct Result {
        std::string Text;
        std::size_t Cursor = 0; // a byte offset into Text
    };
    // The candidates for a word: channel names when it starts with "#", else nicks.
    using Candidates = std::function<std::vector<std::string>(bool channels)>;

    CaseMapping Mapping = CaseMapping::Rfc1459;

    // Nothing when there is nothing to complete: no word before the cursor, or no match.
    std::optional<Result> Complete(const std::string& line, std::size_t cursor, bool backwards,
                                   const Candidates& candidates);
    // The user edited the line: the next Tab starts afresh.
    void Reset() { cycling_ = false; }

private:
    Result build() const;

    bool cycling_ = false;
    std::string before_;
    std::string after_;
    std::vector<std::string> matches_;
    std::size_t index_ = 0;
    bool nickAtStart_ = false;
    Result last_;
};

} // namespace pell::session
