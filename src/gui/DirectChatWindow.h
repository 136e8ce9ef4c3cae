#pragma once

#include "dcc/DirectChat.h"
#include "dcc/DirectChatListener.h"

#include <QWidget>

#include <functional>

class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace pell::gui {

// The connecting and the listening direct-chat windows: a read-only plain-text area
// above a full-width input line. The window owns the timers and calls the model's
// ticks; the owner destroys the model when closed() fires.
class DirectChatWindow : public QWidget {
    Q_OBJECT
public:
    static DirectChatWindow* forChat(dcc::DirectChat& model);
    static DirectChatWindow* forListener(dcc::DirectChatListener& model);

    QPlainTextEdit* text() const { return text_; }
    QLineEdit* input() const { return input_; }
    QTimer* timer() const { return timer_; }
    // The size a new window opens with, also inside the main window's area.
    QSize sizeHint() const override { return {480, 320}; }
    // Sets the caption from the model; called after it connected or started listening.
    void refreshCaption();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    DirectChatWindow();
    void bindLines(dcc::ChatLines& lines);
    void addLine(const std::string& line);
    void closeFrame();

    QPlainTextEdit* text_;
    QLineEdit* input_;
    QTimer* timer_;
    std::function<std::string()> caption_;
    std::function<void(const std::string&)> send_;
    std::function<bool()> mayClose_; // empty: always
};

} // namespace pell::gui
