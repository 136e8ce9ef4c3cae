#include "gui/QtUserPrompts.h"

#include "gui/TextDecoding.h"

#include <QInputDialog>
#include <QMessageBox>

namespace pell::gui {

void QtUserPrompts::showError(const std::string& message)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Pell-IRC"), DecodeLine(message), QMessageBox::Ok, owner_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void QtUserPrompts::showMessage(const std::string& message)
{
    // Messages may quote what came from outside (a host from a link, say): plain text.
    QMessageBox box(QMessageBox::Information, QStringLiteral("Pell-IRC"), DecodeLine(message), QMessageBox::Ok, owner_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
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
    // Questions quote peers' texts (a DCC file name, say): never read them as markup.
    QMessageBox box(QMessageBox::Question, DecodeLine(caption), DecodeLine(question),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

} // namespace pell::gui
