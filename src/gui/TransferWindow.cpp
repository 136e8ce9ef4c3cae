#include "gui/TransferWindow.h"

#include "gui/TextDecoding.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>

namespace pell::gui {

namespace {

QLabel* plainLabel(const QString& text = {})
{
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText); // file names and messages come from peers
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

TransferWindow::TransferWindow(const QString& caption, const std::string& fileName)
    : fileName_(plainLabel(DecodeLine(fileName))), bytes_(plainLabel("BytesTransferred")),
      elapsed_(plainLabel("ElapsedTime")), estimate_(plainLabel("Estimated time left")),
      percent_(plainLabel("ProgressPercent")), error_(plainLabel()), bar_(new QProgressBar), log_(new QPlainTextEdit)
{
    setWindowTitle(caption);
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(static_cast<int>(dcc::TransferLog::MaxLines));
    fileName_->setObjectName("lFilename");
    error_->setObjectName("lError");
    auto* grid = new QGridLayout(this);
    grid->addWidget(fileName_, 0, 0, 1, 2);
    grid->addWidget(bytes_, 1, 0);
    grid->addWidget(percent_, 1, 1);
    grid->addWidget(elapsed_, 2, 0);
    grid->addWidget(estimate_, 2, 1);
    grid->addWidget(error_, 3, 0, 1, 2);
    grid->addWidget(log_, 4, 0, 1, 2);
    grid->addWidget(bar_, 5, 0, 1, 2);
    grid->setRowStretch(4, 1);
}

TransferWindow* TransferWindow::forDownload(dcc::DccDownload& model)
{
    auto* window = new TransferWindow(QStringLiteral("Download file"), model.Offer().FileName);
    QPointer<TransferWindow> alive(window);
    model.StatusAdded = [alive](const std::string& line) {
        if (alive) {
            alive->addLine(line);
            alive->error_->setText(DecodeLine(line));
        }
    };
    model.ProgressChanged = [alive, &model] {
        if (alive)
            alive->showProgress(model.Progress());
    };
    model.Beep = [] { QApplication::beep(); };
    window->showProgress(model.Progress());
    return window;
}

TransferWindow* TransferWindow::forSend(dcc::DccSend& model)
{
    auto* window = new TransferWindow(QStringLiteral("Send file"), model.FileName);
    QPointer<TransferWindow> alive(window);
    model.StatusAdded = [alive](const std::string& line) {
        if (alive)
            alive->addLine(line);
    };
    model.ProgressChanged = [alive, &model] {
        if (alive)
            alive->showProgress(model.Progress());
    };
    return window;
}

// Only sets texts: the repaint comes from the event loop, never from inside a report.
void TransferWindow::showProgress(const dcc::TransferProgress& progress)
{
    bar_->setValue(progress.Position);
    percent_->setText(QString::fromStdString(progress.PercentText));
    bytes_->setText(QString::fromStdString(progress.BytesText));
    elapsed_->setText(QString::fromStdString(progress.ElapsedText));
    estimate_->setText(QString::fromStdString(progress.EstimateText));
}

void TransferWindow::addLine(const std::string& line)
{
    log_->appendPlainText(DecodeLine(line));
}

void TransferWindow::closeEvent(QCloseEvent* event)
{
    emit closed();
    event->accept();
}

} // namespace pell::gui
