#pragma once

#include "session/AddressList.h"

#include <QAbstractListModel>

namespace pell::gui {

// The main window's address list as a list view sees it: row 0 is the newest address.
// New addresses are announced as one block of rows inserted at the top, at most every
// 100 ms, so a flood of links costs the view a few updates a second; rows the view has
// not been told of yet stay out of its sight.
class AddressListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit AddressListModel(const session::AddressList& addresses, QObject* parent = nullptr);

    // An address was added: show it with the next refresh.
    void addressAdded();
    // Announces every address added since the last refresh.
    void refresh();
    // The bytes of a row as collected.
    std::string address(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const session::AddressList& addresses_;
    int shown_ = 0;
    static constexpr int RefreshMs = 100;
    bool refreshPending_ = false;
};

} // namespace pell::gui
