#pragma once

#include <QAbstractItemView>

namespace pell::gui {

// A one-column list whose rows all have the same height, for lists that grow without
// bound (the raw log, the address list). It keeps nothing per row: the scroll bar
// counts rows and only the visible ones are asked for, so a million rows cost the view
// no memory. Rows are drawn by the item delegate, as a list view draws them.
class UniformListView : public QAbstractItemView {
    Q_OBJECT
public:
    explicit UniformListView(QWidget* parent = nullptr);

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex&) const override { return false; }
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void reset() override;
    void changeEvent(QEvent* event) override;

private:
    int rowCount() const;
    int rowHeight() const;
    int firstRow() const;
    int visibleRows() const;
    void relayout();

    mutable int rowHeight_ = 0; // measured on the first row and again after a font change
};

} // namespace pell::gui
