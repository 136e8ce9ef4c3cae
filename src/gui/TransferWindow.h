#pragma once

#include "dcc/DccDownload.h"
#include "dcc/DccSend.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QProgressBar;

namespace pell::gui {

// The "Download file" and "Send file" windows: the file, the progress display and the
// log of one transfer model. The model reports through hooks; this window only draws.
// The owner destroys the model when closed() fires.
class TransferWindow : public QWidget {
    Q_OBJECT
public:
    static TransferWindow* forDownload(dcc::DccDownload& model);
    static TransferWindow* forSend(dcc::DccSend& model);

    QProgressBar* progressBar() const { return bar_; }
    QLabel* errorLabel() const { return error_; }
    QPlainTextEdit* log() const { return log_; }
    // The size a new window opens with, also inside the main window's area (which
    // sizes its frames by the hint, so a plain resize would be lost there).
    QSize sizeHint() const override { return {420, 300}; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    TransferWindow(const QString& caption, const std::string& fileName);
    void showProgress(const dcc::TransferProgress& progress);
    void addLine(const std::string& line);

    QLabel* fileName_;
    QLabel* bytes_;
    QLabel* elapsed_;
    QLabel* estimate_;
    QLabel* percent_;
    QLabel* error_;
    QProgressBar* bar_;
    QPlainTextEdit* log_;
};

} // namespace pell::gui
