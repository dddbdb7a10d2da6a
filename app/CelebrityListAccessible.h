#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>

#include <memory>

namespace app {

class CelebrityList;

// What assistive technology sees of the celebrity list, as it sees Qt's own
// list views: a list whose children are its rows, each a list item whose text
// is the celebrity's name. Rows are made only when asked for, so a million
// loaded names cost nothing until a screen reader reads them; a row asked for
// again is the same object, and follows its celebrity when rows are sorted in
// above it.
class CelebrityListAccessible : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit CelebrityListAccessible(CelebrityList *list);
    ~CelebrityListAccessible() override;

    // The factory to install with QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

    QAccessible::Role role() const override { return QAccessible::List; }
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;
    void *interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTableInterface: one column of rows.
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override;
    int columnCount() const override { return 1; }
    int rowCount() const override { return childCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

    CelebrityList *list() const;

private:
    // Rows move when others are sorted in above them: the cache is keyed by
    // row and rebuilt from each row object's own persistent index.
    void rekey() const;

    mutable QHash<int, QAccessible::Id> rows;
    mutable quint64 keyedAt = 0;
};

} // namespace app
