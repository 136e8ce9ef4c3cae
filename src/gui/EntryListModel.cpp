#include "gui/EntryListModel.h"

#include "gui/TextDecoding.h"

namespace pell::gui {

EntryListModel::EntryListModel(const std::vector<std::string>* entries, QObject* parent)
    : QAbstractListModel(parent), entries_(entries)
{
    shown_ = entries_ ? static_cast<int>(entries_->size()) : 0;
}

void EntryListModel::setEntries(const std::vector<std::string>* entries)
{
    entries_ = entries;
    refill();
}

void EntryListModel::refill()
{
    beginResetModel();
    shown_ = entries_ ? static_cast<int>(entries_->size()) : 0;
    endResetModel();
}

void EntryListModel::appended()
{
    const int size = entries_ ? static_cast<int>(entries_->size()) : 0;
    if (size < shown_)
        return refill();
    if (size == shown_)
        return;
    beginInsertRows(QModelIndex(), shown_, size - 1);
    shown_ = size;
    endInsertRows();
}

std::string EntryListModel::entry(int row) const
{
    if (!entries_ || row < 0 || row >= shown_ || row >= static_cast<int>(entries_->size()))
        return {};
    return (*entries_)[static_cast<std::size_t>(row)];
}

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_)
        return {};
    return DecodeLine(entry(index.row()));
}

} // namespace pell::gui
