#pragma once

#include <QAbstractItemView>
#include <QAccessible>
#include <QElapsedTimer>
#include <QTimer>

namespace app {

// A list of one-line rows of equal height that paints only the rows in view,
// each cut at the right edge (no ellipsis, no sideways scrolling), so that
// its cost per repaint and per added row stays the same at any length.
//
// As a list box does, it scrolls the current row into view whenever it
// changes, by mouse or keyboard, moving as little as it can; and once a row is
// selected, some row stays selected: no click or key takes the selection away;
// and, as a list box, it selects with the first mouse button only. While rows are
// sorted in above, the view stays at the first row until the user scrolls or
// selects; after that, the row at the top of the view stays at the top.
class CelebrityList : public QAbstractItemView
{
    Q_OBJECT

public:
    explicit CelebrityList(QWidget *parent = nullptr);

    QRect visualRect(const QModelIndex &index) const override;
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint &point) const override;
    void setModel(QAbstractItemModel *model) override;
    // Type-ahead: characters typed within the keyboard input interval of
    // each other build one prefix, and the current row moves to the next name
    // that begins with it (case and accents ignored, wrapping round). The
    // same character typed again and again steps through the names that
    // begin with it.
    void keyboardSearch(const QString &search) override;

    // Counts the times the model's rows have moved, so that what keeps rows
    // by their place can tell when to look again.
    quint64 layoutGeneration() const { return layouts; }

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex &) const override { return false; }
    void setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex &index,
                                                         const QEvent *event) const override;
    QRegion visualRegionForSelection(const QItemSelection &selection) const override;
    void updateGeometries() override;
    void paintEvent(QPaintEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void rowsInserted(const QModelIndex &parent, int start, int end) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    static QString shownText(const QModelIndex &index);
    int rowHeight() const;
    int rowCount() const;
    int visibleRows() const;
    void holdTopRow();
    void restoreTopRow();
    void modelChanged();
    // Qt's own announcements of model changes, replaced by the list's.
    void takeOverAnnouncements(QAbstractItemModel *newModel);
    void announce(QAccessible::Event type, const QModelIndex &index);

    // Set once the user has scrolled or moved the current row.
    bool userPlaced = false;
    QPersistentModelIndex topRow;
    QString typed;
    QElapsedTimer sinceTyped;
    QTimer *modelChangeAnnouncement;
    quint64 layouts = 0;
};

} // namespace app
