#pragma once

#include "gui/DisplayLine.h"
#include "session/FormattedText.h"

#include <QAbstractScrollArea>
#include <QCache>
#include <QElapsedTimer>
#include <QTimer>
#include <QUrl>

#include <optional>

namespace pell::gui {

// The read-only text of one tab. It draws the stored runs of the visible lines only, so
// a tab with 100,000 lines costs no more to show than one with fifty. Lines have one
// fixed height and never wrap. Appends are coalesced into at most one repaint per
// ~50 ms; the view stays at the bottom unless the user has scrolled up.
class TextView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // A place in the text: line index and character position within the line.
    struct Position {
        int Line = 0;
        int Column = 0;
        auto operator<=>(const Position&) const = default;
    };

    explicit TextView(QWidget* parent = nullptr);

    // The lines to show; they belong to the model and must outlive the view or be
    // replaced (nullptr detaches).
    void setLines(const session::FormattedText* lines);
    // The model appended lines: shown with the next coalesced repaint.
    void linesAppended();
    // The model emptied the lines.
    void linesCleared();
    // Applies pending appends at once (scroll range, pinning, repaint).
    void flushAppends();

    QString selectedText() const;
    void selectAll();
    void clearSelection();
    void copySelection() const;
    bool isPinnedToBottom() const { return pinned_; }
    int lineHeight() const { return lineHeight_; }
    int firstVisibleLine() const;
    // The find bar: every match of the text in the lines shown is marked, and the current
    // match (characters of a line; line -1 for none) stands out and is scrolled into view.
    void setFindHighlight(const QString& needle);
    void showMatch(int line, int column, int length);
    void clearFind();

    // The link under a point of the viewport, if any.
    std::optional<QUrl> linkAt(QPoint viewportPoint) const;

signals:
    void linkActivated(const QUrl& url);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Laid {
        DisplayLine Line;
        QTextLayout Layout;
    };

    int lineCount() const;
    const Laid& laidOut(int line) const;
    Position positionAt(QPoint viewportPoint) const;
    void updateScrollBars();
    void measureNewLines();
    void updateMetrics();
    bool hasSelection() const { return anchor_ != cursor_; }
    void addFindRanges(int line, const QString& text, QList<QTextLayout::FormatRange>& ranges) const;

    const session::FormattedText* lines_ = nullptr;
    // A laid-out line costs a few kilobytes: keep about two screens of them.
    mutable QCache<int, Laid> laidOut_{64};
    int lineHeight_ = 1;
    int ascent_ = 0;
    int charWidth_ = 1;
    // The widest line measured or estimated so far, in pixels, and how many lines that covers.
    mutable int widest_ = 0;
    int measured_ = 0;
    bool pinned_ = true;
    bool settingRange_ = false;
    QTimer flushTimer_;
    QElapsedTimer sinceFlush_;
    Position anchor_;
    Position cursor_;
    bool selecting_ = false;
    std::optional<QUrl> pressedLink_;
    QPoint pressPoint_;
    QString findNeedle_;
    struct Match {
        int Line = -1;
        int Column = 0;
        int Length = 0;
    } match_;
};

} // namespace pell::gui
