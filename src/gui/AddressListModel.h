#pragma once

#include "session/AddressList.h"

#include <QAbstractListModel>

namespace pell::gui {

// The main window's address list as a list view sees it: row 0 is the newest address.
// New addresses are announced once per burst of lines (the first one schedules a
// refresh on the event loop), as one block of rows inserted at the top; rows the view
// has not been told of yet are kept out of its sight until then.
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
    bool refreshPending_ = false;
};

} // namespace pell::gui
