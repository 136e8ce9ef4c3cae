// The part of the Downloads tab for DCC behind a home router: the address offers name,
// the ports to listen on, passive offers.
#include "gui/Captions.h"
#include "gui/FieldBinding.h"
#include "gui/OptionsDialog.h"
#include "gui/TextDecoding.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>

namespace pell::gui {

QWidget* OptionsDialog::routerPanel()
{
    auto* panel = new QWidget;
    settings::AppSettings& s = model_.settings();
    using app::Caption;
    const auto label = [](const char* text, Caption caption) {
        auto* made = new QLabel(text);
        tagCaption(made, caption);
        return made;
    };
    offerAddress_ = new QButtonGroup(panel);
    const std::pair<const char*, Caption> choices[] = {
        {"my address (found by itself)", Caption::OfferAddressAutomatic},
        {"the address the IRC server sees", Caption::OfferAddressServerSees},
        {"this address:", Caption::OfferAddressTyped}};
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 6, 0, 0);
    grid->addWidget(label("DCC offers name:", Caption::OfferAddressLabel), 0, 0);
    for (const auto& [text, caption] : choices) {
        auto* choice = new QRadioButton(text);
        const int index = offerAddress_->buttons().size();
        choice->setObjectName("offerAddress" + QString::number(index));
        tagCaption(choice, caption);
        offerAddress_->addButton(choice, index);
        grid->addWidget(choice, index / 2, 1 + index % 2);
    }
    connect(offerAddress_, &QButtonGroup::idClicked, this,
            [&s](int index) { s.OfferAddress = static_cast<settings::OfferAddress>(index); });
    typedOfferAddress_ = boundEdit("typedOfferAddress", [&s]() -> std::string& { return s.TypedOfferAddress; });
    grid->addWidget(typedOfferAddress_, 1, 2);

    firstDccPort_ = boundEdit("firstDccPort", [&s]() -> std::string& { return s.FirstDccPort; });
    lastDccPort_ = boundEdit("lastDccPort", [&s]() -> std::string& { return s.LastDccPort; });
    for (QLineEdit* port : {firstDccPort_, lastDccPort_})
        port->setMaximumWidth(70);
    auto* ports = new QHBoxLayout;
    ports->addWidget(firstDccPort_);
    ports->addWidget(label("to", Caption::DccPortsTo));
    ports->addWidget(lastDccPort_);
    ports->addStretch();
    grid->addWidget(label("Listen on ports (blank: any):", Caption::DccPortsLabel), 2, 0);
    grid->addLayout(ports, 2, 1, 1, 2);
    offerFilesPassively_ = boundBox("Offer files passively (the receiver listens; when nobody reaches my ports)",
                                    "offerFilesPassively", [&s]() -> bool& { return s.OfferFilesPassively; });
    tagCaption(offerFilesPassively_, Caption::PassiveOffersBox);
    grid->addWidget(offerFilesPassively_, 3, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    return panel;
}

void OptionsDialog::showRouterOptions()
{
    const settings::AppSettings& s = model_.settings();
    offerAddress_->button(static_cast<int>(s.OfferAddress))->setChecked(true);
    typedOfferAddress_->setText(DecodeLine(s.TypedOfferAddress));
    firstDccPort_->setText(DecodeLine(s.FirstDccPort));
    lastDccPort_->setText(DecodeLine(s.LastDccPort));
    offerFilesPassively_->setChecked(s.OfferFilesPassively);
}

} // namespace pell::gui
