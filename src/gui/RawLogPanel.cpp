#include "gui/RawLogPanel.h"

#include "gui/EntryListModel.h"

namespace pell::gui {

namespace {

constexpr int RawLogHeight = 29;
constexpr int CoalesceMs = 50;

} // namespace

RawLogPanel::RawLogPanel(QWidget* parent) : UniformListView(parent)
{
    rows_ = new EntryListModel(nullptr, this);
    setModel(rows_);
    setFixedHeight(RawLogHeight);
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &RawLogPanel::flush);
}

void RawLogPanel::attach(const session::SessionModel* model)
{
    model_ = model;
    if (!model) {
        rows_->setRows({}, {});
        return;
    }
    const session::StringList* raw = &model->Raw().Entries();
    rows_->setRows([raw] { return static_cast<int>(raw->size()); },
                   [raw](int row) { return (*raw)[static_cast<std::size_t>(row)]; });
}

void RawLogPanel::appended()
{
    if (!flushTimer_.isActive())
        flushTimer_.start(CoalesceMs);
}

void RawLogPanel::flush()
{
    rows_->appended();
    if (!model_)
        return;
    const int selected = model_->Raw().Selected();
    if (selected < 0 || selected >= rows_->rowCount())
        return;
    setCurrentIndex(rows_->index(selected));
    scrollTo(rows_->index(selected));
}

} // namespace pell::gui
