#pragma once

#include "doubles/RecordingWindows.h"
#include "gui/SessionController.h"
#include "settings/SettingsTestSupport.h"

#include <QtWidgets>

namespace pell::test {

// Menu items as the user reads them, "-" for a separator.
inline QStringList captions(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

// The rows of a list model as shown, or the children of one row of a tree.
inline QStringList rowsOf(const QAbstractItemModel* model, const QModelIndex& parent = {})
{
    QStringList rows;
    for (int row = 0; model && row < model->rowCount(parent); ++row)
        rows << model->index(row, 0, parent).data().toString();
    return rows;
}

inline const session::SessionTab* tabOf(gui::SessionController* session, const std::string& caption)
{
    session::SessionTabs& tabs = session->session().Model().Tabs();
    return tabs.Find(caption) < 0 ? nullptr : &tabs.At(tabs.Find(caption));
}

// The colour of a tab's one-run line with exactly this text; -1 for no such line.
inline std::int64_t colourOf(gui::SessionController* session, const std::string& caption, const std::string& text)
{
    const session::SessionTab* tab = tabOf(session, caption);
    for (std::size_t i = 0; tab && tab->Text && i < tab->Text->size(); ++i)
        if (const auto& line = (*tab->Text)[i]; line.Text() == text && line.RunCount() == 1)
            return line.RunAt(0).Colour;
    return -1;
}

} // namespace pell::test
