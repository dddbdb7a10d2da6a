#include "CelebrityListAccessible.h"

#include "CelebrityList.h"
#include "CelebrityModel.h"

#include <QItemSelectionModel>

namespace app {

namespace {

// One row of the list.
class RowAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    RowAccessible(CelebrityList *list, const QModelIndex &index) : view(list), index(index) {}

    bool isValid() const override { return view && index.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return view ? view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(view.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || (t != QAccessible::Name && t != QAccessible::Description))
            return {};
        return t == QAccessible::Name ? index.data(CelebrityModel::NameRole).toString() : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect r = view->visualRect(index).intersected(view->viewport()->rect());
        return r.isEmpty() ? QRect() : QRect(view->viewport()->mapToGlobal(r.topLeft()), r.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = view->selectionModel()->isSelected(index);
        s.focused = view->hasFocus() && view->currentIndex() == index;
        if (!view->viewport()->rect().intersects(view->visualRect(index)))
            s.offscreen = true;
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface *>(this)
                   : nullptr;
    }

    // QAccessibleTableCellInterface
    bool isSelected() const override { return state().selected; }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return index.row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QPointer<CelebrityList> view;
    QPersistentModelIndex index;
};

} // namespace

CelebrityListAccessible::CelebrityListAccessible(CelebrityList *list)
    : QAccessibleWidget(list, QAccessible::List)
{}

CelebrityListAccessible::~CelebrityListAccessible()
{
    for (const QAccessible::Id id : std::as_const(rows))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface *CelebrityListAccessible::create(const QString &, QObject *object)
{
    if (auto *list = qobject_cast<CelebrityList *>(object))
        return new CelebrityListAccessible(list);
    return nullptr;
}

CelebrityList *CelebrityListAccessible::list() const
{
    return static_cast<CelebrityList *>(widget());
}

int CelebrityListAccessible::childCount() const
{
    const QAbstractItemModel *model = list()->model();
    return model ? model->rowCount() : 0;
}

QAccessibleInterface *CelebrityListAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (keyedAt != list()->layoutGeneration())
        rekey();
    if (const auto found = rows.constFind(index); found != rows.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto *row = new RowAccessible(list(), list()->model()->index(index, 0));
    rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int CelebrityListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *row = dynamic_cast<const RowAccessible *>(child);
    return row && row->view == list() && row->index.isValid() ? row->index.row() : -1;
}

QAccessibleInterface *CelebrityListAccessible::childAt(int x, int y) const
{
    const QPoint at = list()->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = list()->indexAt(at);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *CelebrityListAccessible::focusChild() const
{
    const QModelIndex current = list()->currentIndex();
    return list()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void *CelebrityListAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessibleInterface *CelebrityListAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

int CelebrityListAccessible::selectedCellCount() const
{
    return selectedRowCount();
}

QList<QAccessibleInterface *> CelebrityListAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (const int row : selectedRows())
        cells << child(row);
    return cells;
}

int CelebrityListAccessible::selectedRowCount() const
{
    return int(selectedRows().size());
}

QList<int> CelebrityListAccessible::selectedRows() const
{
    QList<int> selected;
    if (const QItemSelectionModel *selection = list()->selectionModel()) {
        for (const QModelIndex &index : selection->selectedIndexes())
            selected << index.row();
    }
    return selected;
}

bool CelebrityListAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = list()->selectionModel();
    return selection && row >= 0 && row < childCount() &&
           selection->isSelected(list()->model()->index(row, 0));
}

bool CelebrityListAccessible::selectRow(int row)
{
    if (row < 0 || row >= childCount())
        return false;
    // As a click on the row: it becomes the current and the one selected row.
    list()->selectionModel()->setCurrentIndex(list()->model()->index(row, 0),
                                              QItemSelectionModel::ClearAndSelect);
    return true;
}

bool CelebrityListAccessible::unselectRow(int)
{
    // A list box always keeps its selection once made.
    return false;
}

void CelebrityListAccessible::modelChange(QAccessibleTableModelChangeEvent *)
{
    // Nothing to do now: rows that moved are found again by child(), which
    // sees the list's layout generation change.
}

void CelebrityListAccessible::rekey() const
{
    keyedAt = list()->layoutGeneration();
    QHash<int, QAccessible::Id> moved;
    for (const QAccessible::Id id : std::as_const(rows)) {
        auto *row = static_cast<RowAccessible *>(QAccessible::accessibleInterface(id));
        if (row && row->index.isValid() && !moved.contains(row->index.row()))
            moved.insert(row->index.row(), id);
        else
            QAccessible::deleteAccessibleInterface(id);
    }
    rows = std::move(moved);
}

} // namespace app
