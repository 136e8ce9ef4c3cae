#pragma once

#include "platform/Desktop.h"
#include "settings/SettingsTestSupport.h"

#include <QtWidgets>

namespace pell::test {

// Records what a window asks the desktop to open.
class RecordingDesktop : public platform::Desktop {
public:
    bool isMainWindowInFront() const override { return true; }
    void flashWindow() override {}
    void openUrl(const std::string& url) override { opened.push_back(url); }
    std::vector<std::string> opened;
};

// A save dialog the user always cancels.
struct CancelledSave : platform::SaveFileDialog {
    std::optional<std::string> askSaveFileName(const std::string&, const std::string&) override { return {}; }
};

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

} // namespace pell::test
