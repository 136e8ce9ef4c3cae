#pragma once

#include "gui/EntryListModel.h"
#include "session/MemberStatus.h"
#include "session/NickList.h"

#include <QColor>

namespace pell::gui {

// The rows of a tab's nick list. A names reply refills the core list once, and the
// view follows with one reset (refill()), however many members the channel has. With
// the members' status, away users are drawn grey and each row's tip says what is known.
class NickListModel : public EntryListModel {
    Q_OBJECT
public:
    explicit NickListModel(const session::NickList& nicks, QObject* parent = nullptr,
                           const session::MemberStatus* status = nullptr)
        : EntryListModel(&nicks.Entries(), parent), nicks_(nicks), status_(status)
    {
    }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override
    {
        if (status_ && role == Qt::ForegroundRole && status_->Away(entry(index.row()), nicks_.PrefixSymbols()))
            return QColor(Qt::gray);
        if (status_ && role == Qt::ToolTipRole) {
            const std::string tip = status_->Describe(entry(index.row()), nicks_.PrefixSymbols());
            return tip.empty() ? QVariant() : QVariant(QString::fromUtf8(tip.data(), static_cast<qsizetype>(tip.size())));
        }
        return EntryListModel::data(index, role);
    }

private:
    const session::NickList& nicks_;
    const session::MemberStatus* status_;
};

} // namespace pell::gui
