#include "gui/EntryListModel.h"

#include "gui/TextDecoding.h"

namespace pell::gui {

EntryListModel::EntryListModel(const std::vector<std::string>* entries, QObject* parent)
    : QAbstractListModel(parent)
{
    setEntries(entries);
}

void EntryListModel::setEntries(const std::vector<std::string>* entries)
{
    if (!entries) {
        setRows({}, {});
        return;
    }
    setRows([entries] { return static_cast<int>(entries->size()); },
            [entries](int row) { return std::string_view((*entries)[static_cast<std::size_t>(row)]); });
}

void EntryListModel::setRows(std::function<int()> count, std::function<std::string_view(int)> row)
{
    count_ = std::move(count);
    row_ = std::move(row);
    refill();
}

void EntryListModel::refill()
{
    beginResetModel();
    shown_ = count_ ? count_() : 0;
    endResetModel();
}

void EntryListModel::appended()
{
    const int size = count_ ? count_() : 0;
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
    if (!count_ || row < 0 || row >= shown_ || row >= count_())
        return {};
    return std::string(row_(row));
}

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shown_)
        return {};
    // A raw line may carry colour and bold codes: show them, not empty boxes.
    QString text = DecodeLine(entry(index.row()));
    ShowControlPictures(text);
    return text;
}

} // namespace pell::gui
