#pragma once

#include "gui/EntryListModel.h"
#include "session/NickList.h"

namespace pell::gui {

// The rows of a tab's nick list. A names reply refills the core list once, and the
// view follows with one reset (refill()), however many members the channel has.
class NickListModel : public EntryListModel {
    Q_OBJECT
public:
    explicit NickListModel(const session::NickList& nicks, QObject* parent = nullptr)
        : EntryListModel(&nicks.Entries(), parent)
    {
    }
};

} // namespace pell::gui
