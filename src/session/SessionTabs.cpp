#include "session/SessionTabs.h"

#include <algorithm>

namespace pell::session {

SessionTabs::SessionTabs(SessionViewPort& view, std::shared_ptr<StringArena> textArena)
    : view_(view), textArena_(textArena ? std::move(textArena) : std::make_shared<StringArena>())
{
    mainId_ = addTab(MainCaption, TabKind::Text).Id;
    ignoreId_ = addTab(IgnoreCaption, TabKind::Ignore).Id;
    activeId_ = mainId_;
}

SessionTab& SessionTabs::addTab(std::string caption, TabKind kind)
{
    SessionTab tab;
    tab.Id = nextId_++;
    tab.Caption = std::move(caption);
    tab.Kind = kind;
    if (kind == TabKind::Text) {
        tab.Text = std::make_unique<FormattedText>(textArena_);
        tab.Nicks = std::make_unique<NickList>();
        tab.Nicks->SetPrefixSymbols(support_.PrefixSymbols());
    }
    tabs_.push_back(std::move(tab));
    return tabs_.back();
}

int SessionTabs::IndexOfId(TabId id) const
{
    for (int i = 0; i < Count(); ++i)
        if (At(i).Id == id)
            return i;
    return -1;
}

int SessionTabs::Find(std::string_view caption) const
{
    for (int i = 0; i < Count(); ++i)
        if (At(i).Caption == caption)
            return i;
    return -1;
}

void SessionTabs::NewChannel(const std::string& name)
{
    // With two tabs of the same caption each is activated in turn; the last one stays.
    int last = -1;
    for (int i = 0; i < Count(); ++i)
        if (At(i).Caption == name)
            last = i;
    if (last >= 0) {
        activeId_ = At(last).Id;
    } else {
        activeId_ = addTab(name, TabKind::Text).Id;
    }
    keepIgnoreTabLast();
    view_.tabsChanged();
    view_.activeTabChanged();
}

void SessionTabs::OpenInBackground(const std::string& name)
{
    if (Find(name) >= 0)
        return;
    addTab(name, TabKind::Text);
    keepIgnoreTabLast();
    view_.tabsChanged();
}

void SessionTabs::keepIgnoreTabLast()
{
    const int at = IndexOfId(ignoreId_);
    if (at >= 0 && at != Count() - 1)
        std::rotate(tabs_.begin() + at, tabs_.begin() + at + 1, tabs_.end());
}

bool SessionTabs::IsFixed(int index) const
{
    return index >= 0 && index < Count() && (At(index).Id == mainId_ || At(index).Id == ignoreId_);
}

bool SessionTabs::CloseTab(int index)
{
    if (index < 0 || index >= Count() || IsFixed(index))
        return false;
    const bool wasActive = At(index).Id == activeId_;
    tabs_.erase(tabs_.begin() + index);
    if (wasActive) {
        // The right-hand neighbour takes over; the ignore tab is always there to the right.
        activeId_ = At(std::min(index, Count() - 1)).Id;
    }
    view_.tabsChanged();
    if (wasActive)
        view_.activeTabChanged();
    return true;
}

void SessionTabs::Activate(int index)
{
    if (index < 0 || index >= Count() || At(index).Id == activeId_)
        return;
    activeId_ = At(index).Id;
    view_.activeTabChanged();
}

void SessionTabs::SetCaption(int index, std::string caption)
{
    if (index < 0 || index >= Count())
        return;
    At(index).Caption = std::move(caption);
    view_.tabsChanged();
}

void SessionTabs::AddUserTo(std::string_view channel, std::string_view nick)
{
    for (auto& tab : tabs_) {
        if (tab.Caption != channel || !tab.Nicks)
            continue;
        tab.Nicks->RemoveNick(nick);
        tab.Nicks->Add(std::string(nick));
        view_.nickListChanged(tab.Id);
    }
}

void SessionTabs::DelUser(std::string_view nick)
{
    for (auto& tab : tabs_)
        if (tab.Nicks && tab.Nicks->RemoveNick(nick) > 0)
            view_.nickListChanged(tab.Id);
}

void SessionTabs::ClearNicks(int index)
{
    if (index < 0 || index >= Count() || !At(index).Nicks)
        return;
    At(index).Nicks->Clear();
    view_.nickListChanged(At(index).Id);
}

void SessionTabs::NewNickForUser(std::string_view oldNick, std::string_view newNick)
{
    for (auto& tab : tabs_)
        if (tab.Nicks && tab.Nicks->RenameNick(oldNick, newNick) > 0)
            view_.nickListChanged(tab.Id);
}

void SessionTabs::RefillNickList(std::string_view channel, const std::vector<std::string>& nicks,
                                 const std::vector<int>& flags)
{
    const int index = Find(channel);
    if (index < 0)
        return;
    SessionTab& tab = At(index);
    if (!tab.Nicks)
        return;
    std::vector<std::string> entries;
    entries.reserve(nicks.size());
    for (std::size_t i = 0; i < nicks.size() && i < flags.size(); ++i)
        if (!nicks[i].empty())
            entries.push_back(std::string(support_.ShownPrefix(flags[i])) + nicks[i]);
    tab.Nicks->Refill(std::move(entries));
    view_.nickListChanged(tab.Id);
}

void SessionTabs::SetMemberFlags(std::string_view channel, std::string_view nick, int flags)
{
    for (auto& tab : tabs_) {
        if (tab.Caption != channel || !tab.Nicks)
            continue;
        tab.Nicks->RemoveNick(nick);
        tab.Nicks->Add(std::string(support_.ShownPrefix(flags)) + std::string(nick));
        view_.nickListChanged(tab.Id);
    }
}

void SessionTabs::SetServerSupport(const irc::ServerSupport& support)
{
    support_ = support;
    for (auto& tab : tabs_) {
        if (tab.Nicks && tab.Nicks->PrefixSymbols() != support_.PrefixSymbols()) {
            tab.Nicks->SetPrefixSymbols(support_.PrefixSymbols());
            view_.nickListChanged(tab.Id);
        }
    }
}

} // namespace pell::session
