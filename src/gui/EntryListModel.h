#pragma once

#include <QAbstractListModel>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pell::gui {

// A list view's model over a vector of byte strings owned by a core model (nick list,
// ignore list, raw log). Rows are decoded only when shown; the view learns of changes
// in bulk: a refill resets, an append inserts the new rows at once.
class EntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit EntryListModel(const std::vector<std::string>* entries = nullptr, QObject* parent = nullptr);

    void setEntries(const std::vector<std::string>* entries);
    // Any other list of rows: how many there are, and one row's bytes.
    void setRows(std::function<int()> count, std::function<std::string_view(int)> row);
    // The entries were replaced or reordered.
    void refill();
    // Entries were added at the end only.
    void appended();
    // The bytes of a row, as the core model holds them; empty for a bad row.
    std::string entry(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    std::function<int()> count_;
    std::function<std::string_view(int)> row_;
    // What the view has been told about; it lags the vector until refill or appended.
    int shown_ = 0;
};

} // namespace pell::gui
