#include "gui/QtUserPrompts.h"

#include "gui/TextDecoding.h"

#include <QInputDialog>
#include <QMessageBox>

namespace pell::gui {

void QtUserPrompts::showError(const std::string& message)
{
    QMessageBox::critical(owner_, QStringLiteral("Pell-IRC"), DecodeLine(message));
}

std::optional<std::string> QtUserPrompts::askText(const std::string& caption, const std::string& label,
                                                  const std::string& defaultText)
{
    bool accepted = false;
    const QString answer = QInputDialog::getText(owner_, DecodeLine(caption), DecodeLine(label),
                                                 QLineEdit::Normal, DecodeLine(defaultText), &accepted);
    if (!accepted)
        return std::nullopt;
    return toBytes(answer);
}

bool QtUserPrompts::askYesNo(const std::string& caption, const std::string& question)
{
    return QMessageBox::question(owner_, DecodeLine(caption), DecodeLine(question),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace pell::gui
