#pragma once

#include "gui/UniformListView.h"
#include "session/SessionModel.h"

#include <QTimer>

namespace pell::gui {

class EntryListModel;

// The raw log under a session window's tabs: every server line, the newest selected
// and scrolled to. A burst of lines lands in the list in one go, redrawn at most every
// 50 ms, however long the log grows.
class RawLogPanel : public UniformListView {
    Q_OBJECT
public:
    explicit RawLogPanel(QWidget* parent = nullptr);

    // Shows this model's raw log from now on (nullptr: none).
    void attach(const session::SessionModel* model);
    // Lines were appended to the log.
    void appended();

private:
    void flush();

    const session::SessionModel* model_ = nullptr;
    EntryListModel* rows_ = nullptr;
    QTimer flushTimer_;
};

} // namespace pell::gui
