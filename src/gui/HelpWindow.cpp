#include "gui/HelpWindow.h"

#include "app/HelpText.h"
#include "gui/DialogPlacement.h"

#include <QTextEdit>
#include <QVBoxLayout>

namespace pell::gui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window), text_(new QTextEdit)
{
    setWindowTitle(QStringLiteral("Help"));
    resize(488, 423);
    text_->setReadOnly(true);
    text_->setLineWrapMode(QTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    setLines(app::BuiltInHelpLines());
}

void HelpWindow::setLines(const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    // Plain text: the help holds no markup, whatever its lines look like.
    text_->setPlainText(text.join(QLatin1Char('\n')));
}

void HelpWindow::showCentred()
{
    centreOnParent(*this);
    show();
    raise();
    activateWindow();
}

} // namespace pell::gui
