#include "gui/DirectChatWindow.h"

#include "gui/TextDecoding.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

namespace pell::gui {

DirectChatWindow::DirectChatWindow() : text_(new QPlainTextEdit), input_(new QLineEdit), timer_(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Direct Chat"));
    text_->setObjectName("text");
    input_->setObjectName("input");
    // Peers send what they like: plain text only, no rich text, no links.
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->setMaximumBlockCount(static_cast<int>(dcc::ChatLines::MaxLines));
    text_->setUndoRedoEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(text_, 1);
    layout->addWidget(input_);
    connect(input_, &QLineEdit::returnPressed, this, [this] {
        const std::string line = toBytes(input_->text());
        input_->clear();
        send_(line);
    });
}

void DirectChatWindow::bindLines(dcc::ChatLines& lines)
{
    QPointer<DirectChatWindow> alive(this);
    lines.LineAdded = [alive](const std::string& line) {
        if (alive)
            alive->addLine(line);
    };
    lines.LinesDropped = [alive](std::size_t count) {
        if (alive)
            alive->dropFirstLines(count);
    };
    for (const std::string& line : lines.Lines())
        addLine(line);
}

DirectChatWindow* DirectChatWindow::forChat(dcc::DirectChat& model)
{
    auto* window = new DirectChatWindow;
    window->caption_ = [&model] { return model.Caption(); };
    window->send_ = [&model](const std::string& line) { model.Send(line); };
    window->bindLines(model.Lines());
    window->timer_->setInterval(dcc::DirectChat::PollInterval);
    connect(window->timer_, &QTimer::timeout, window, [&model] { model.onPollTick(); });
    window->timer_->start(); // runs from the moment the window exists
    return window;
}

DirectChatWindow* DirectChatWindow::forListener(dcc::DirectChatListener& model)
{
    auto* window = new DirectChatWindow;
    window->caption_ = [&model] { return model.Caption(); };
    window->send_ = [&model](const std::string& line) { model.Send(line); };
    window->mayClose_ = [&model] { return model.CloseRequest(); };
    window->bindLines(model.Lines());
    window->timer_->setInterval(dcc::DirectChatListener::CloseInterval);
    connect(window->timer_, &QTimer::timeout, window, [&model] { model.onCloseTimer(); });
    QPointer<DirectChatWindow> alive(window);
    model.TimerChanged = [alive, &model] {
        if (alive && model.CloseTimerRunning())
            alive->timer_->start();
        else if (alive)
            alive->timer_->stop();
    };
    model.RequestClose = [alive] {
        if (alive)
            alive->closeFrame();
    };
    return window;
}

void DirectChatWindow::refreshCaption()
{
    setWindowTitle(ShownText(caption_()));
}

// The carriage return kept at the end of a received line stays in the model but is
// not drawn; other control bytes show as pictures, as in the session window.
void DirectChatWindow::addLine(const std::string& line)
{
    std::string_view shown(line);
    if (!shown.empty() && shown.back() == '\r')
        shown.remove_suffix(1);
    QString text = DecodeLine(shown);
    ShowControlPictures(text);
    text_->appendPlainText(text);
}

void DirectChatWindow::dropFirstLines(std::size_t count)
{
    QTextCursor cursor(text_->document());
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(count));
    cursor.removeSelectedText();
}

void DirectChatWindow::closeFrame()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void DirectChatWindow::closeEvent(QCloseEvent* event)
{
    if (mayClose_ && !mayClose_()) {
        event->ignore();
        return;
    }
    timer_->stop();
    emit closed();
    event->accept();
}

} // namespace pell::gui
