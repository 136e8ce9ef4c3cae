#include "gui/UserInfoWindow.h"

#include "gui/TextDecoding.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

namespace pell::gui {

namespace {

QLabel* plainLabel()
{
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText); // names come from the server
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

UserInfoWindow::UserInfoWindow(session::UserInfoModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), nick_(plainLabel()), address_(plainLabel()), id_(plainLabel())
{
    setWindowTitle(QString::fromLatin1(session::UserInfoModel::Caption));
    auto* form = new QFormLayout(this);
    form->addRow(QString::fromLatin1(session::UserInfoModel::NickLabel), nick_);
    form->addRow(QString::fromLatin1(session::UserInfoModel::AddressLabel), address_);
    form->addRow(QString::fromLatin1(session::UserInfoModel::IdLabel), id_);
    auto* close = new QPushButton(QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, [this] { model_.Close(); });
    form->addRow(close);
    resize(320, 140);
    model_.SetView(this);
}

UserInfoWindow::~UserInfoWindow()
{
    model_.SetView(nullptr);
}

void UserInfoWindow::userInfoChanged()
{
    nick_->setText(ShownText(model_.Nick()));
    address_->setText(ShownText(model_.Address()));
    id_->setText(ShownText(model_.Id()));
    if (model_.Visible()) {
        if (!isVisible() && parentWidget()) // over the main window, not in a screen corner
            move(parentWidget()->geometry().center() - rect().center());
        show();
        raise();
    } else {
        hide();
    }
}

void UserInfoWindow::closeEvent(QCloseEvent* event)
{
    model_.Close();
    event->accept();
}

} // namespace pell::gui
