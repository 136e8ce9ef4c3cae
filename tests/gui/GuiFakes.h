#pragma once

#include "doubles/RecordingWindows.h"
#include "gui/SessionController.h"
#include "settings/SettingsTestSupport.h"
#include "support/CaseFile.h"

#include <QtTest>
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

// Compares a window with its case in tests/data/gui/windows.cases, one fact a row: a
// control ("." for the window, else a child's objectName), a property and its value.
inline void checkFacts(const QWidget* window, const std::string& table)
{
    int rows = 0;
    for (const Case& found : readCases("gui/windows.cases"))
        for (const std::string& row : found.name == table ? found.lines("fact") : std::vector<std::string>{}) {
            const QStringList words = QString::fromStdString(row).split(' ');
            const QObject* control = words[0] == "." ? window : window->findChild<QObject*>(words[0]);
            QVERIFY2(control, row.c_str());
            const QVariant value = control->property(qPrintable(words[1]));
            const QString shown = value.typeId() == QMetaType::QSize ? QString("%1x%2").arg(value.toSize().width()).arg(value.toSize().height()) : value.toString();
            QVERIFY2(shown == words.mid(2).join(' '), qPrintable(QString::fromStdString(table + ": " + row) + " shows " + shown));
            ++rows;
        }
    QVERIFY2(rows > 0, ("no facts for " + table).c_str());
}

} // namespace pell::test
