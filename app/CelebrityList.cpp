#include "CelebrityList.h"

#include "CelebrityModel.h"
#include "FrameBudget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace app {

CelebrityList::CelebrityList(QWidget *parent) : QAbstractItemView(parent)
{
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollMode(ScrollPerItem);
    setEditTriggers(NoEditTriggers);
    setTabKeyNavigation(false);
    // Dragging past an edge scrolls nothing; a new current row is scrolled
    // to by currentChanged().
    setAutoScroll(false);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { userPlaced = true; });

    modelChangeAnnouncement = new QTimer(this);
    modelChangeAnnouncement->setSingleShot(true);
    modelChangeAnnouncement->setInterval(int(budget::kFrameMs));
    connect(modelChangeAnnouncement, &QTimer::timeout, this, [this] {
        if (!QAccessible::isActive())
            return;
        QAccessibleTableModelChangeEvent event(this, QAccessibleTableModelChangeEvent::ModelReset);
        QAccessible::updateAccessibility(&event);
    });
}

void CelebrityList::setModel(QAbstractItemModel *newModel)
{
    if (model())
        disconnect(model(), nullptr, this, nullptr);
    QAbstractItemView::setModel(newModel);
    if (!newModel)
        return;
    connect(newModel, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &CelebrityList::holdTopRow);
    connect(newModel, &QAbstractItemModel::layoutChanged, this, &CelebrityList::restoreTopRow);

    takeOverAnnouncements(newModel);
    connect(newModel, &QAbstractItemModel::rowsInserted, this, &CelebrityList::modelChanged);
    connect(newModel, &QAbstractItemModel::layoutChanged, this, [this] {
        ++layouts;
        scheduleDelayedItemsLayout();
        modelChanged();
    });
}

void CelebrityList::takeOverAnnouncements(QAbstractItemModel *newModel)
{
    // Qt's views tell assistive technology of every change of their model at
    // once, through two private slots connected by name (Qt 6.0 to 6.4 at
    // least). A load's flush inserts rows and moves them to their places,
    // at each frame and each input event: the list takes those connections
    // over and tells of its changes at most once a frame. A Qt that connects
    // them another way has no such slots; there load_announcesAtMostOnceAFrame
    // fails, and this needs another way in turn.
    struct Connection
    {
        const char *signal;
        const char *slot;
    };
    static const Connection connections[] = {
        {SIGNAL(rowsInserted(QModelIndex, int, int)), SLOT(_q_rowsInserted(QModelIndex, int, int))},
        {SIGNAL(layoutChanged()), SLOT(_q_layoutChanged())},
    };
    for (const Connection &c : connections) {
        // SIGNAL() and SLOT() put a digit before the signature.
        const QByteArray slot = QMetaObject::normalizedSignature(c.slot + 1);
        if (QAbstractItemView::staticMetaObject.indexOfSlot(slot.constData()) < 0)
            continue;
        if (!disconnect(newModel, c.signal, this, c.slot))
            qWarning("CelebrityList: Qt's %s was not connected", slot.constData());
    }
}

void CelebrityList::modelChanged()
{
    if (QAccessible::isActive() && !modelChangeAnnouncement->isActive())
        modelChangeAnnouncement->start();
}

void CelebrityList::announce(QAccessible::Event type, const QModelIndex &index)
{
    if (!QAccessible::isActive() || !index.isValid())
        return;
    QAccessibleEvent event(this, type);
    event.setChild(index.row());
    QAccessible::updateAccessibility(&event);
}

void CelebrityList::selectionChanged(const QItemSelection &selected,
                                     const QItemSelection &deselected)
{
    // As Qt's list view announces them.
    announce(QAccessible::SelectionAdd, selected.indexes().value(0));
    announce(QAccessible::SelectionRemove, deselected.indexes().value(0));
    QAbstractItemView::selectionChanged(selected, deselected);
}

void CelebrityList::holdTopRow()
{
    topRow =
        userPlaced && rowCount() > 0
            ? QPersistentModelIndex(model()->index(verticalScrollBar()->value(), 0, rootIndex()))
            : QPersistentModelIndex();
}

void CelebrityList::restoreTopRow()
{
    if (!topRow.isValid())
        return;
    // The range follows the new row count before the row is put back on top.
    updateGeometries();
    verticalScrollBar()->setValue(topRow.row());
    topRow = QPersistentModelIndex();
}

void CelebrityList::keyboardSearch(const QString &search)
{
    auto *celebrities = qobject_cast<CelebrityModel *>(model());
    if (search.isEmpty() || !celebrities)
        return;
    if (!sinceTyped.isValid() || sinceTyped.elapsed() > QApplication::keyboardInputInterval())
        typed.clear();
    sinceTyped.start();
    typed += search;

    const bool repeated =
        std::all_of(typed.begin(), typed.end(), [&](QChar c) { return c == typed.front(); });
    const QString prefix = repeated ? typed.left(1) : typed;
    const auto [first, last] = celebrities->rowsStartingWith(prefix);
    if (first >= last)
        return;
    // A new or repeated character looks from the row after the current one;
    // a growing prefix from the current row, which may still match.
    const int current = currentIndex().isValid() ? currentIndex().row() : -1;
    const int from = repeated ? current + 1 : current;
    const int row = from > first && from < last ? from : first;
    const QModelIndex index = model()->index(row, 0, rootIndex());
    if (index != currentIndex())
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void CelebrityList::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    // The scroll range follows at once, not at the next layout pass, so that
    // a user scrolling at a progress point can reach the new rows.
    updateGeometries();
}

void CelebrityList::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    if (hasFocus())
        announce(QAccessible::Focus, current);
    QAbstractItemView::currentChanged(current, previous);
    if (current.isValid()) {
        userPlaced = true;
        scrollTo(current);
    }
}

int CelebrityList::rowHeight() const
{
    return fontMetrics().height() + 2;
}

int CelebrityList::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

int CelebrityList::visibleRows() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int CelebrityList::verticalOffset() const
{
    return verticalScrollBar()->value() * rowHeight();
}

QRect CelebrityList::visualRect(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    const int top = (index.row() - verticalScrollBar()->value()) * rowHeight();
    return {0, top, viewport()->width(), rowHeight()};
}

QModelIndex CelebrityList::indexAt(const QPoint &point) const
{
    if (!model() || point.y() < 0 || point.x() < 0 || point.x() >= viewport()->width())
        return {};
    const int row = verticalScrollBar()->value() + point.y() / rowHeight();
    return row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

void CelebrityList::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int top = verticalScrollBar()->value();
    const int shown = visibleRows();
    switch (hint) {
    case PositionAtTop:
        verticalScrollBar()->setValue(row);
        break;
    case PositionAtBottom:
        verticalScrollBar()->setValue(row - shown + 1);
        break;
    case PositionAtCenter:
        verticalScrollBar()->setValue(row - shown / 2);
        break;
    case EnsureVisible:
        if (row < top)
            verticalScrollBar()->setValue(row);
        else if (row >= top + shown)
            verticalScrollBar()->setValue(row - shown + 1);
        break;
    }
}

QModelIndex CelebrityList::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    // With no current item the first key lands on the first row.
    if (!current.isValid())
        return model()->index(0, 0, rootIndex());
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= visibleRows() - 1;
        break;
    case MovePageDown:
        row += visibleRows() - 1;
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    default:
        return current;
    }
    return model()->index(std::clamp(row, 0, count - 1), 0, rootIndex());
}

void CelebrityList::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QModelIndex index = indexAt(rect.normalized().topLeft());
    if (index.isValid())
        selectionModel()->select(index, command);
}

QItemSelectionModel::SelectionFlags CelebrityList::selectionCommand(const QModelIndex &index,
                                                                    const QEvent *event) const
{
    // Qt's single selection lets Ctrl+click and Ctrl+Space deselect the
    // selected row, and a click below the last row clear the selection; a
    // list box only ever selects another row.
    const QItemSelectionModel::SelectionFlags command =
        QAbstractItemView::selectionCommand(index, event);
    if (!index.isValid() ||
        command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))
        return QItemSelectionModel::NoUpdate;
    return command;
}

QRegion CelebrityList::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const int top = verticalScrollBar()->value();
    const int bottom = top + visibleRows();
    for (const QItemSelectionRange &range : selection) {
        const int first = std::max(range.top(), top);
        const int last = std::min(range.bottom(), bottom);
        if (first <= last) {
            region += QRect(0, (first - top) * rowHeight(), viewport()->width(),
                            (last - first + 1) * rowHeight());
        }
    }
    return region;
}

void CelebrityList::updateGeometries()
{
    const int count = rowCount();
    const int shown = visibleRows();
    verticalScrollBar()->setSingleStep(1);
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setRange(0, std::max(0, count - shown));
    QAbstractItemView::updateGeometries();
}

void CelebrityList::scrollContentsBy(int, int)
{
    viewport()->update();
}

bool CelebrityList::viewportEvent(QEvent *event)
{
    // The base class asks the model for tooltips and the like per row; an
    // item's whole text holds 500 blanks and is no tooltip.
    if (event->type() == QEvent::ToolTip || event->type() == QEvent::WhatsThis)
        return true;
    return QAbstractItemView::viewportEvent(event);
}

namespace {
// A press, release or drag with any button but the first selects nothing in
// a list box: Qt's views select with every button.
bool byFirstButton(const QMouseEvent *event)
{
    return event->type() == QEvent::MouseMove
               ? event->buttons() == Qt::NoButton || (event->buttons() & Qt::LeftButton)
               : event->button() == Qt::LeftButton;
}
} // namespace

void CelebrityList::mousePressEvent(QMouseEvent *event)
{
    if (byFirstButton(event))
        QAbstractItemView::mousePressEvent(event);
    else
        event->accept();
}

void CelebrityList::mouseMoveEvent(QMouseEvent *event)
{
    if (byFirstButton(event))
        QAbstractItemView::mouseMoveEvent(event);
    else
        event->accept();
}

void CelebrityList::mouseReleaseEvent(QMouseEvent *event)
{
    if (byFirstButton(event))
        QAbstractItemView::mouseReleaseEvent(event);
    else
        event->accept();
}

void CelebrityList::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (byFirstButton(event))
        QAbstractItemView::mouseDoubleClickEvent(event);
    else
        event->accept();
}

QString CelebrityList::shownText(const QModelIndex &index)
{
    const QVariant name = index.data(CelebrityModel::NameRole);
    return name.isValid() ? name.toString() : index.data(Qt::DisplayRole).toString();
}

void CelebrityList::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    if (!model())
        return;
    const int height = rowHeight();
    const int first = verticalScrollBar()->value() + event->rect().top() / height;
    const int last =
        std::min(rowCount() - 1, verticalScrollBar()->value() + event->rect().bottom() / height);
    const int width = viewport()->width();
    const QModelIndex current = currentIndex();
    const QPalette &pal = palette();
    const bool active = hasFocus();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model()->index(row, 0, rootIndex());
        const QRect rect(0, (row - verticalScrollBar()->value()) * height, width, height);
        const bool selected = selectionModel() && selectionModel()->isSelected(index);
        if (selected)
            painter.fillRect(rect, pal.brush(QPalette::Active, QPalette::Highlight));
        painter.setPen(
            pal.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text));
        // Drawn unclipped by text layout: a long name simply runs past the edge.
        painter.drawText(rect.adjusted(2, 0, 0, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shownText(index));
        if (active && index == current) {
            QPen pen(pal.color(QPalette::Active, QPalette::Text));
            pen.setStyle(Qt::DotLine);
            painter.setPen(pen);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
    }
}

} // namespace app
