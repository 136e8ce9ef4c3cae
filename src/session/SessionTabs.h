#pragma once

#include "irc/ServerSupport.h"
#include "session/SessionTab.h"
#include "session/SessionViewPort.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pell::session {

inline constexpr const char* MainCaption = "Main";
// "Ignorlist" is kept as users know it.
inline constexpr const char* IgnoreCaption = "Ignorlist";

// The ordered tabs of a session window: "Main" first, "Ignorlist" last, exactly one
// active. The two fixed tabs live as long as the window, because lines fall back to
// the first tab and every line is tested against the ignore list; closing them is
// refused.
class SessionTabs {
public:
    // The text tabs keep their lines in the arena given (one of their own when none is).
    explicit SessionTabs(SessionViewPort& view, std::shared_ptr<StringArena> textArena = nullptr);

    int Count() const { return static_cast<int>(tabs_.size()); }
    const SessionTab& At(int index) const { return tabs_[static_cast<std::size_t>(index)]; }
    SessionTab& At(int index) { return tabs_[static_cast<std::size_t>(index)]; }
    int ActiveIndex() const { return IndexOfId(activeId_); }
    SessionTab& Active() { return At(ActiveIndex()); }
    int IndexOfId(TabId id) const;

    // The first tab, in tab order, whose caption equals the name exactly; -1 for none.
    int Find(std::string_view caption) const;
    void NewChannel(const std::string& name);
    // Makes a tab of that caption exist, leaving the active tab as it is.
    void OpenInBackground(const std::string& name);
    // False (and nothing changes) for "Main", the ignore tab or a bad index.
    bool CloseTab(int index);
    bool IsFixed(int index) const;
    void Activate(int index);
    void SetCaption(int index, std::string caption);
    // Raises what a tab that is not active has to show (new lines, then a mention); the
    // tab bar is told when that changes.
    void MarkActivity(TabId id, TabActivity activity);

    void AddUserTo(std::string_view channel, std::string_view nick);
    void DelUser(std::string_view nick);
    // Empties the nick list of the text tab at the index; other tabs are left alone.
    void ClearNicks(int index);
    void NewNickForUser(std::string_view oldNick, std::string_view newNick);
    // A names reply: nicks[i] with the member flags flags[i] (with the prefixes of a
    // server that announces none, 1 op, 2 voice, 3 both), each shown with its highest
    // prefix. Users without a flags slot are skipped; a channel without a tab drops it.
    void RefillNickList(std::string_view channel, const std::vector<std::string>& nicks,
                        const std::vector<int>& flags);
    // A member's modes changed: its entry in the channel's nick list shows them.
    void SetMemberFlags(std::string_view channel, std::string_view nick, int flags);

    // The prefixes of the server: nick lists sort and read their entries with them.
    void SetServerSupport(const irc::ServerSupport& support);
    const std::string& PrefixSymbols() const { return support_.PrefixSymbols(); }

private:
    SessionTab& addTab(std::string caption, TabKind kind);
    // The tab becomes active, and what it had to show counts as seen.
    void setActive(TabId id);
    void keepIgnoreTabLast();

    SessionViewPort& view_;
    irc::ServerSupport support_;
    std::shared_ptr<StringArena> textArena_;
    std::vector<SessionTab> tabs_;
    TabId nextId_ = 1;
    TabId activeId_ = 0;
    TabId mainId_ = 0;
    TabId ignoreId_ = 0;
};

} // namespace pell::session
