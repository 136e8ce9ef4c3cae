#pragma once

#include "session/ChannelNameBox.h"

#include <QAbstractListModel>

namespace pell::gui {

// The channel box's list: the names of the model's channel box, in its order. A network
// may list 200,000 channels; rows are decoded only when shown.
class ChannelBoxModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ChannelBoxModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // Shows these names from now on (nullptr: none).
    void setBox(const session::ChannelNameBox* box);
    // Names were added: the view reads the list again.
    void refill();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const session::ChannelNameBox* box_ = nullptr;
    int shown_ = 0; // what the view has been told about
};

} // namespace pell::gui
