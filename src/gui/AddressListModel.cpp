#include "gui/AddressListModel.h"

#include <QTimer>

namespace pell::gui {

AddressListModel::AddressListModel(const session::AddressList& addresses, QObject* parent)
    : QAbstractListModel(parent), addresses_(addresses), shown_(static_cast<int>(addresses.size()))
{
}

void AddressListModel::addressAdded()
{
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QTimer::singleShot(RefreshMs, this, &AddressListModel::refresh);
}

void AddressListModel::refresh()
{
    refreshPending_ = false;
    const int size = static_cast<int>(addresses_.size());
    if (size <= shown_)
        return;
    beginInsertRows(QModelIndex(), 0, size - shown_ - 1);
    shown_ = size;
    endInsertRows();
}

std::string AddressListModel::address(int row) const
{
    if (row < 0 || row >= shown_)
        return {};
    // Addresses added since the last refresh sit above the rows the view knows.
    const std::size_t hidden = addresses_.size() - static_cast<std::size_t>(shown_);
    return std::string(addresses_.At(hidden + static_cast<std::size_t>(row)));
}

int AddressListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

QVariant AddressListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return QString::fromStdString(address(index.row()));
}

} // namespace pell::gui
