#include "gui/QtUserPrompts.h"

#include "gui/TextDecoding.h"

#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

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
    // Questions quote peers' texts (a DCC file name, say): never read them as markup,
    // and show what could reword them.
    QMessageBox box(QMessageBox::Question, ShownText(caption), ShownText(question), QMessageBox::Yes | QMessageBox::No,
                    owner_);
    box.setTextFormat(Qt::PlainText);
    return box.exec() == QMessageBox::Yes;
}

namespace {

// Closes its box, unanswered, when the asker no longer wants the answer.
class OpenBox : public platform::OpenQuestion {
public:
    OpenBox(QMessageBox* box, std::shared_ptr<bool> wanted) : box_(box), wanted_(std::move(wanted)) {}
    ~OpenBox() override
    {
        *wanted_ = false;
        if (box_) {
            box_->hide();
            box_->deleteLater();
        }
    }

private:
    QPointer<QMessageBox> box_;
    std::shared_ptr<bool> wanted_;
};

} // namespace

std::unique_ptr<platform::OpenQuestion> QtUserPrompts::askYesNoLater(const std::string& caption,
                                                                     const std::string& question,
                                                                     std::function<void(bool)> answered)
{
    auto* box = new QMessageBox(QMessageBox::Question, ShownText(caption), ShownText(question),
                                QMessageBox::Yes | QMessageBox::No, owner_);
    box->setTextFormat(Qt::PlainText);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    auto wanted = std::make_shared<bool>(true);
    QObject::connect(box, &QMessageBox::finished, box, [wanted, answered = std::move(answered)](int result) {
        if (*wanted)
            answered(result == QMessageBox::Yes);
    });
    box->show();
    return std::make_unique<OpenBox>(box, wanted);
}

} // namespace pell::gui
