// The Chat tab of the options dialog: mentions and their notifications, reconnecting,
// time stamps and logs.
#include "gui/Captions.h"
#include "gui/FieldBinding.h"
#include "gui/OptionsDialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace pell::gui {

QWidget* OptionsDialog::chatTab()
{
    auto* tab = new QWidget;
    settings::AppSettings& s = model_.settings();
    using app::Caption;
    const auto box = [](QCheckBox* made, Caption caption) {
        tagCaption(made, caption);
        return made;
    };
    highlightMentions_ = box(boundBox("Make lines that name me stand out and mark their tab", "highlightMentions",
                                      [&s]() -> bool& { return s.HighlightMentions; }),
                             Caption::HighlightMentionsBox);
    notifyMentions_ = box(boundBox("Desktop notification when I am named while the program is in the background",
                                   "notifyMentions", [&s]() -> bool& { return s.NotifyMentions; }),
                          Caption::NotifyMentionsBox);
    mentionWords_ = boundEdit("mentionWords", [&s]() -> std::string& { return s.MentionWords; });
    auto* wordsLabel = new QLabel("Other words that count as naming me:");
    tagCaption(wordsLabel, Caption::MentionWordsLabel);

    ColourRow& mention = colours_[4];
    mention.sample = new QLabel("Example");
    mention.sample->setObjectName("colourSample4");
    auto* choose = new QPushButton("...");
    choose->setObjectName("colourButton4");
    choose->setAutoDefault(false);
    connect(choose, &QPushButton::clicked, this, [this] { chooseColour(colours_[4]); });
    auto* colourLabel = new QLabel("Lines that name me:");
    tagCaption(colourLabel, Caption::MentionColourLabel);

    auto* grid = new QGridLayout;
    grid->addWidget(wordsLabel, 0, 0);
    grid->addWidget(mentionWords_, 0, 1, 1, 2);
    grid->addWidget(colourLabel, 1, 0);
    grid->addWidget(mention.sample, 1, 1);
    grid->addWidget(choose, 1, 2);
    grid->setColumnStretch(1, 1);

    autoReconnect_ = box(boundBox("Reconnect automatically", "autoReconnect",
                                  [&s]() -> bool& { return s.AutoReconnect; }),
                         Caption::AutoReconnectBox);
    timeStamps_ = box(boundBox("Time stamps in front of every line", "timeStamps",
                               [&s]() -> bool& { return s.TimeStamps; }),
                      Caption::TimeStampsBox);
    writeLogs_ = box(boundBox("Write logs (one file per network and channel)", "writeLogs",
                              [&s]() -> bool& { return s.WriteLogs; }),
                     Caption::WriteLogsBox);

    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(highlightMentions_);
    layout->addWidget(notifyMentions_);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addWidget(autoReconnect_);
    layout->addWidget(timeStamps_);
    layout->addWidget(writeLogs_);
    layout->addStretch();
    return tab;
}

void OptionsDialog::showChatOptions()
{
    const settings::AppSettings& s = model_.settings();
    highlightMentions_->setChecked(s.HighlightMentions);
    notifyMentions_->setChecked(s.NotifyMentions);
    mentionWords_->setText(DecodeLine(s.MentionWords));
    autoReconnect_->setChecked(s.AutoReconnect);
    timeStamps_->setChecked(s.TimeStamps);
    writeLogs_->setChecked(s.WriteLogs);
}

} // namespace pell::gui
