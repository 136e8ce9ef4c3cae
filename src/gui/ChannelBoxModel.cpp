#include "gui/ChannelBoxModel.h"

#include "gui/TextDecoding.h"

namespace pell::gui {

void ChannelBoxModel::setBox(const session::ChannelNameBox* box)
{
    beginResetModel();
    box_ = box;
    shown_ = box ? static_cast<int>(box->Items().size()) : 0;
    endResetModel();
}

void ChannelBoxModel::refill()
{
    setBox(box_);
}

int ChannelBoxModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant ChannelBoxModel::data(const QModelIndex& index, int role) const
{
    if (!box_ || role != Qt::DisplayRole || index.row() < 0 || index.row() >= shown_)
        return {};
    return DecodeLine(box_->Items()[static_cast<std::size_t>(index.row())]);
}

} // namespace pell::gui
