#pragma once

#include <QAbstractItemView>

// A list of one-line rows of equal height that paints only the rows in view,
// each cut at the right edge (no ellipsis, no sideways scrolling), so that
// its cost per repaint and per added row stays the same at any length.
class CelebrityList : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit CelebrityList(QWidget *parent = nullptr);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;

private:
    static QString shownText(const QModelIndex &index);
    int rowHeight() const;
    int rowCount() const;
    int visibleRows() const;
};
