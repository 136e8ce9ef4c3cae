#pragma once

#include "support/CaseFile.h"

#include <QtTest>
#include <QtWidgets>

namespace pell::test {

// Compares a window with its case in tests/data/gui/windows.cases, one fact a row: the
// control ("." for the window itself, else a child's objectName), a property, the value
// it shows (a size as "WxH").
inline void checkFacts(const QWidget* window, const std::string& table)
{
    const std::vector<Case> cases = readCases("gui/windows.cases");
    const auto found = std::find_if(cases.begin(), cases.end(), [&](const Case& c) { return c.name == table; });
    QVERIFY2(found != cases.end(), table.c_str());
    for (const std::string& row : found->lines("fact")) {
        const QStringList words = QString::fromStdString(row).split(' ');
        const QObject* control = words[0] == "." ? window : window->findChild<QObject*>(words[0]);
        QVERIFY2(control, row.c_str());
        const QVariant value = control->property(qPrintable(words[1]));
        const QSize size = value.toSize();
        const QString shown = size.isValid() ? QString("%1x%2").arg(size.width()).arg(size.height()) : value.toString();
        QVERIFY2(shown == words.mid(2).join(' '), qPrintable(QString::fromStdString(table + ": " + row) + " (shows " + shown + ")"));
    }
}

} // namespace pell::test

// Checks a window against its table and ends the test at the first wrong fact.
#define CHECK_FACTS(window, table)                                                                                     \
    do {                                                                                                               \
        pell::test::checkFacts(window, table);                                                                         \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)
