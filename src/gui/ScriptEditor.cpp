#include "gui/ScriptEditor.h"

#include "gui/TextDecoding.h"
#include "gui/Captions.h"
#include "gui/DialogPlacement.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace pell::gui {

ScriptEditor::ScriptEditor(app::ScriptEditorModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), chooser_(new QComboBox), name_(new QLineEdit),
      body_(new QPlainTextEdit), save_(new QPushButton(QStringLiteral("Save"))),
      delete_(new QPushButton(QStringLiteral("Delete")))
{
    setWindowTitle(QStringLiteral("Script-Editor"));
    tagCaption(this, app::Caption::ScriptEditorWindow);
    tagCaption(save_, app::Caption::ScriptSave);
    tagCaption(delete_, app::Caption::ScriptDelete);
    resize(663, 414);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* bar = new QHBoxLayout;
    auto* choose = new QLabel(QStringLiteral("Choose Script:"));
    tagCaption(choose, app::Caption::ScriptChooseLabel);
    bar->addWidget(choose);
    chooser_->setMinimumWidth(160);
    chooser_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    bar->addWidget(chooser_, 1);
    auto* name = new QLabel(QStringLiteral("Scriptname:"));
    tagCaption(name, app::Caption::ScriptNameLabel);
    bar->addWidget(name);
    bar->addWidget(name_, 1);
    bar->addWidget(save_);
    bar->addWidget(delete_);
    layout->addLayout(bar);

    body_->setLineWrapMode(QPlainTextEdit::NoWrap);
    body_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    body_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(body_, 1);

    connect(chooser_, &QComboBox::activated, this, [this](int index) { model_.Choose(index); });
    connect(save_, &QPushButton::clicked, this, [this] {
        takeTypedText();
        model_.Save();
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        takeTypedText();
        model_.Delete();
    });
    model_.Changed = [this] { refresh(); };
    refresh();
}

ScriptEditor::~ScriptEditor()
{
    model_.Changed = nullptr;
}

void ScriptEditor::showCentred()
{
    if (!placed_) {
        centreOnParent(*this);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void ScriptEditor::takeTypedText()
{
    model_.SetNameField(toBytes(name_->text()));
    model_.SetBodyText(toBytes(body_->toPlainText()));
}

void ScriptEditor::refresh()
{
    const QSignalBlocker block(chooser_);
    chooser_->clear();
    for (const std::string& name : model_.Names())
        chooser_->addItem(DecodeLine(name));
    chooser_->setCurrentIndex(model_.Selected());
    name_->setText(DecodeLine(model_.NameField()));
    body_->setPlainText(DecodeLine(model_.BodyText()));
}

} // namespace pell::gui
