#include "gui/UniformListView.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace pell::gui {

UniformListView::UniformListView(QWidget* parent) : QAbstractItemView(parent)
{
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerItem);
    // Like the list boxes it stands for: a row wider than the list is cut at its edge.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

int UniformListView::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int UniformListView::rowHeight() const
{
    if (rowHeight_ > 0)
        return rowHeight_;
    // Measured on a real row, as the delegate will draw it; until there is one, the font's.
    const QModelIndex first = model() ? model()->index(0, 0, rootIndex()) : QModelIndex();
    if (!first.isValid())
        return std::max(1, fontMetrics().height());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    rowHeight_ = std::max({1, itemDelegate()->sizeHint(option, first).height(), fontMetrics().height()});
    return rowHeight_;
}

int UniformListView::firstRow() const
{
    return verticalScrollBar()->value();
}

int UniformListView::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

QRect UniformListView::visualRect(const QModelIndex& index) const
{
    if (!index.isValid() || index.parent() != rootIndex())
        return {};
    return {0, (index.row() - firstRow()) * rowHeight(), viewport()->width(), rowHeight()};
}

void UniformListView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row(), rows = visibleRows();
    QScrollBar* bar = verticalScrollBar();
    switch (hint) {
    case PositionAtTop:
        bar->setValue(row);
        break;
    case PositionAtBottom:
        bar->setValue(row - rows + 1);
        break;
    case PositionAtCenter:
        bar->setValue(row - rows / 2);
        break;
    case EnsureVisible:
        if (row < firstRow())
            bar->setValue(row);
        else if (row >= firstRow() + rows)
            bar->setValue(row - rows + 1);
        break;
    }
}

QModelIndex UniformListView::indexAt(const QPoint& point) const
{
    if (point.y() < 0 || !model())
        return {};
    const int row = firstRow() + point.y() / rowHeight();
    return row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

QModelIndex UniformListView::moveCursor(CursorAction action, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    int row = current;
    switch (action) {
    case MoveUp:
    case MovePrevious:
        row = current - 1;
        break;
    case MoveDown:
    case MoveNext:
        row = current + 1;
        break;
    case MovePageUp:
        row = current - visibleRows();
        break;
    case MovePageDown:
        row = current + visibleRows();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    default:
        break;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

int UniformListView::horizontalOffset() const
{
    return 0;
}

int UniformListView::verticalOffset() const
{
    return firstRow() * rowHeight();
}

void UniformListView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags)
{
    const QModelIndex top = indexAt(QPoint(0, std::max(0, rect.top())));
    if (!top.isValid()) {
        selectionModel()->select(QItemSelection(), flags);
        return;
    }
    QModelIndex bottom = indexAt(QPoint(0, rect.bottom()));
    if (!bottom.isValid())
        bottom = model()->index(rowCount() - 1, 0, rootIndex());
    selectionModel()->select(QItemSelection(top, bottom), flags);
}

QRegion UniformListView::visualRegionForSelection(const QItemSelection& selection) const
{
    QRegion region;
    const int first = firstRow(), last = first + visibleRows();
    for (const QItemSelectionRange& range : selection) {
        const int top = std::max(range.top(), first), bottom = std::min(range.bottom(), last);
        if (top <= bottom)
            region += visualRect(model()->index(top, 0, rootIndex()))
                          .united(visualRect(model()->index(bottom, 0, rootIndex())));
    }
    return region;
}

void UniformListView::updateGeometries()
{
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, rowCount() - visibleRows()));
    vertical->setPageStep(visibleRows());
    vertical->setSingleStep(1);
    QAbstractItemView::updateGeometries();
}

void UniformListView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int first = firstRow(), last = std::min(rowCount(), first + visibleRows() + 1);
    const QModelIndex current = currentIndex();
    // Enabled and active as the view is, as a list view draws its rows.
    const QStyle::State base = option.state & ~(QStyle::State_Selected | QStyle::State_HasFocus);
    for (int row = first; row < last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        option.rect = visualRect(index);
        option.state = base;
        if (selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (index == current && hasFocus())
            option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    }
}

void UniformListView::relayout()
{
    updateGeometries();
    viewport()->update();
}

void UniformListView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    relayout();
}

void UniformListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    QAbstractItemView::rowsAboutToBeRemoved(parent, start, end);
    QMetaObject::invokeMethod(this, &UniformListView::relayout, Qt::QueuedConnection);
}

void UniformListView::reset()
{
    QAbstractItemView::reset();
    rowHeight_ = 0;
    relayout();
}

void UniformListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        rowHeight_ = 0;
        relayout();
    }
    QAbstractItemView::changeEvent(event);
}

} // namespace pell::gui
