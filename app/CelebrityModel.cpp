#include "CelebrityModel.h"

CelebrityModel::CelebrityModel(QObject *parent) : QAbstractListModel(parent) {}

int CelebrityModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

QVariant CelebrityModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto id = store.idAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return store.itemText(id);
    case NameRole:
    case Qt::AccessibleTextRole:
        return store.name(id);
    default:
        return {};
    }
}

void CelebrityModel::flush()
{
    const auto total = int(store.size());
    if (total == rows)
        return;
    // First announced as appended, in arrival order...
    beginInsertRows({}, rows, total - 1);
    rows = total;
    endInsertRows();

    // ...then moved to their sorted places, the selection and current item
    // following the items they were on.
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<database::ItemStore::Entry> entries;
    entries.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        entries.push_back(store.entryAt(index.row()));
    store.commit();
    QModelIndexList after;
    after.reserve(before.size());
    for (const auto &entry : entries)
        after.push_back(index(int(store.rowOf(entry)), 0));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
