#include "gui/TextView.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextLine>

#include <algorithm>

namespace pell::gui {

namespace {

constexpr int Margin = 3;
// Lines pouring in repaint the view at most this often.
constexpr int CoalesceMs = 50;

} // namespace

TextView::TextView(QWidget* parent) : QAbstractScrollArea(parent)
{
    // The line colours are chosen for a light background.
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
    viewport()->setMouseTracking(true);
    viewport()->setCursor(Qt::IBeamCursor);
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    flushTimer_.setSingleShot(true);
    connect(&flushTimer_, &QTimer::timeout, this, &TextView::flushAppends);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!settingRange_)
            pinned_ = value >= verticalScrollBar()->maximum();
    });
    sinceFlush_.start();
    updateMetrics();
}

void TextView::setLines(const session::FormattedText* lines)
{
    lines_ = lines;
    linesCleared();
}

int TextView::lineCount() const
{
    return lines_ ? static_cast<int>(lines_->size()) : 0;
}

void TextView::linesAppended()
{
    if (flushTimer_.isActive())
        return;
    const auto waited = static_cast<int>(sinceFlush_.elapsed());
    flushTimer_.start(std::max(0, CoalesceMs - waited));
}

void TextView::linesCleared()
{
    flushTimer_.stop();
    laidOut_.clear();
    widest_ = 0;
    measured_ = 0;
    anchor_ = cursor_ = {};
    selecting_ = false;
    pressedLink_.reset();
    match_ = Match{};
    pinned_ = true;
    measureNewLines();
    updateScrollBars();
    viewport()->update();
}

void TextView::flushAppends()
{
    flushTimer_.stop();
    sinceFlush_.restart();
    measureNewLines();
    updateScrollBars();
    viewport()->update();
}

void TextView::measureNewLines()
{
    // An estimate from the byte count; painting corrects it for the lines it measures.
    const int count = lineCount();
    if (count > measured_)
        widest_ = std::max(widest_, static_cast<int>(std::min<std::size_t>(lines_->WidestText(), 100000)) * charWidth_);
    measured_ = count;
}

void TextView::updateMetrics()
{
    const QFontMetrics metrics(font());
    lineHeight_ = std::max(1, metrics.lineSpacing());
    ascent_ = metrics.ascent();
    charWidth_ = std::max(1, metrics.averageCharWidth());
    laidOut_.clear();
    widest_ = 0;
    measured_ = 0;
    measureNewLines();
    updateScrollBars();
}

void TextView::updateScrollBars()
{
    settingRange_ = true;
    const int rows = std::max(1, viewport()->height() / lineHeight_);
    laidOut_.setMaxCost(std::max(64, 2 * rows + 2));
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, lineCount() - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    if (pinned_)
        vertical->setValue(vertical->maximum());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, widest_ + 2 * Margin - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(charWidth_ * 2);
    settingRange_ = false;
}

int TextView::firstVisibleLine() const
{
    return verticalScrollBar()->value();
}

const TextView::Laid& TextView::laidOut(int line) const
{
    if (const Laid* cached = laidOut_.object(line))
        return *cached;
    auto* laid = new Laid;
    laid->Line = BuildDisplayLine((*lines_)[static_cast<std::size_t>(line)]);
    QTextLayout& layout = laid->Layout;
    layout.setText(laid->Line.Text);
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setFormats(laid->Line.Formats);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    QTextLine row = layout.createLine();
    if (row.isValid()) {
        row.setLineWidth(1e7);
        // Same baseline for every line, also when a fallback font is taller.
        row.setPosition(QPointF(0, ascent_ - row.ascent()));
    }
    layout.endLayout();
    laidOut_.insert(line, laid);
    return *laid;
}

void TextView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), palette().base());
    const int first = firstVisibleLine();
    const int last = std::min(lineCount(), first + viewport()->height() / lineHeight_ + 1);
    const int left = Margin - horizontalScrollBar()->value();
    const auto [from, to] = std::minmax(anchor_, cursor_);
    bool wider = false;
    for (int i = first; i < last; ++i) {
        const Laid& laid = laidOut(i);
        QList<QTextLayout::FormatRange> selection;
        if (hasSelection() && i >= from.Line && i <= to.Line) {
            const int begin = i == from.Line ? from.Column : 0;
            const int end = i == to.Line ? to.Column : static_cast<int>(laid.Line.Text.size());
            if (end > begin) {
                QTextLayout::FormatRange range;
                range.start = begin;
                range.length = end - begin;
                range.format.setBackground(palette().highlight());
                range.format.setForeground(palette().highlightedText());
                selection.append(range);
            }
        }
        // Later ranges win: the selection over the current match over the other matches.
        QList<QTextLayout::FormatRange> ranges;
        addFindRanges(i, laid.Line.Text, ranges);
        ranges += selection;
        const QPointF origin(left, (i - first) * lineHeight_);
        laid.Layout.draw(&painter, origin, ranges);
        if (laid.Layout.lineCount() > 0) {
            const int width = static_cast<int>(std::ceil(laid.Layout.lineAt(0).naturalTextWidth()));
            if (width > widest_) {
                widest_ = width;
                wider = true;
            }
        }
    }
    if (wider)
        QMetaObject::invokeMethod(this, &TextView::updateScrollBars, Qt::QueuedConnection);
}

void TextView::setFindHighlight(const QString& needle)
{
    findNeedle_ = needle;
    viewport()->update();
}

void TextView::showMatch(int line, int column, int length)
{
    match_ = Match{line, column, length};
    // Nothing found leaves the view where it was.
    if (line < 0)
        return viewport()->update();
    const int rows = std::max(1, viewport()->height() / lineHeight_);
    if (line < firstVisibleLine() || line >= firstVisibleLine() + rows) {
        pinned_ = false;
        verticalScrollBar()->setValue(std::max(0, line - rows / 2));
    }
    viewport()->update();
}

void TextView::clearFind()
{
    findNeedle_.clear();
    match_ = Match{};
    viewport()->update();
}

// Yellow behind every match of the line, orange behind the current one.
void TextView::addFindRanges(int line, const QString& text, QList<QTextLayout::FormatRange>& ranges) const
{
    const auto mark = [&ranges](int start, int length, const QColor& colour) {
        QTextLayout::FormatRange range;
        range.start = start;
        range.length = length;
        range.format.setBackground(colour);
        ranges.append(range);
    };
    if (!findNeedle_.isEmpty())
        for (qsizetype at = text.indexOf(findNeedle_, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(findNeedle_, at + findNeedle_.size(), Qt::CaseInsensitive))
            mark(static_cast<int>(at), static_cast<int>(findNeedle_.size()), QColor(255, 240, 120));
    if (line == match_.Line)
        mark(match_.Column, match_.Length, QColor(255, 160, 60));
}

void TextView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TextView::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateMetrics();
}

TextView::Position TextView::positionAt(QPoint point) const
{
    const int count = lineCount();
    if (count == 0)
        return {};
    const int row = point.y() < 0 ? -1 : point.y() / lineHeight_;
    const int line = firstVisibleLine() + row;
    if (line < 0)
        return {0, 0};
    if (line >= count) {
        const Laid& laid = laidOut(count - 1);
        return {count - 1, static_cast<int>(laid.Line.Text.size())};
    }
    const Laid& laid = laidOut(line);
    if (laid.Layout.lineCount() == 0)
        return {line, 0};
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    return {line, laid.Layout.lineAt(0).xToCursor(x)};
}

std::optional<QUrl> TextView::linkAt(QPoint point) const
{
    if (point.y() < 0)
        return std::nullopt;
    const int line = firstVisibleLine() + point.y() / lineHeight_;
    if (line >= lineCount())
        return std::nullopt;
    const Laid& laid = laidOut(line);
    if (laid.Line.Links.empty() || laid.Layout.lineCount() == 0)
        return std::nullopt;
    const QTextLine row = laid.Layout.lineAt(0);
    const qreal x = point.x() - Margin + horizontalScrollBar()->value();
    if (x < 0 || x >= row.naturalTextWidth())
        return std::nullopt;
    const DisplayLine::Link* link = laid.Line.LinkAt(row.xToCursor(x, QTextLine::CursorOnCharacter));
    if (!link)
        return std::nullopt;
    return link->Target;
}

QString TextView::selectedText() const
{
    if (!hasSelection() || lineCount() == 0)
        return {};
    const auto [from, to] = std::minmax(anchor_, cursor_);
    QString text;
    for (int i = from.Line; i <= to.Line && i < lineCount(); ++i) {
        const QString line = DisplayText((*lines_)[static_cast<std::size_t>(i)]);
        const int begin = i == from.Line ? from.Column : 0;
        const int end = i == to.Line ? to.Column : static_cast<int>(line.size());
        if (i > from.Line)
            text += QLatin1Char('\n');
        text += line.mid(begin, std::max(0, end - begin));
    }
    return text;
}

void TextView::selectAll()
{
    const int count = lineCount();
    if (count == 0)
        return;
    anchor_ = {0, 0};
    cursor_ = {count - 1, static_cast<int>(DisplayText(lines_->back()).size())};
    viewport()->update();
}

void TextView::clearSelection()
{
    anchor_ = cursor_ = {};
    viewport()->update();
}

void TextView::copySelection() const
{
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    const Position at = positionAt(point);
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = at;
    cursor_ = at;
    selecting_ = true;
    pressedLink_ = linkAt(point);
    pressPoint_ = point;
    viewport()->update();
}

void TextView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!selecting_) {
        viewport()->setCursor(linkAt(point) ? Qt::PointingHandCursor : Qt::IBeamCursor);
        return;
    }
    if ((point - pressPoint_).manhattanLength() >= QApplication::startDragDistance())
        pressedLink_.reset();
    // Dragging past the top or bottom edge scrolls a line at a time.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = positionAt(point);
    viewport()->update();
}

void TextView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !selecting_)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    selecting_ = false;
    if (pressedLink_) {
        const QUrl url = *pressedLink_;
        pressedLink_.reset();
        clearSelection();
        emit linkActivated(url);
        return;
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelection() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

void TextView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || lineCount() == 0)
        return QAbstractScrollArea::mouseDoubleClickEvent(event);
    // Selects the word under the mouse: the run of characters between blanks.
    const Position at = positionAt(event->position().toPoint());
    const QString text = laidOut(at.Line).Line.Text;
    int begin = std::min(at.Column, static_cast<int>(text.size()));
    int end = begin;
    while (begin > 0 && !text[begin - 1].isSpace())
        --begin;
    while (end < text.size() && !text[end].isSpace())
        ++end;
    anchor_ = {at.Line, begin};
    cursor_ = {at.Line, end};
    selecting_ = false;
    pressedLink_.reset();
    viewport()->update();
}

void TextView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->setValue(0);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

} // namespace pell::gui
