#include "CelebrityModel.h"

#include <algorithm>
#include <limits>

namespace app {

CelebrityModel::CelebrityModel(QObject *parent) : QAbstractListModel(parent) {}

int CelebrityModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rows;
}

QVariant CelebrityModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto id = order.idAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return items.itemText(id);
    case NameRole:
    case Qt::AccessibleTextRole:
        return items.name(id);
    default:
        return {};
    }
}

void CelebrityModel::reserve(qint64 lines, qint64 bytes)
{
    items.reserve(lines, bytes);
}

bool CelebrityModel::append(QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                            database::SortedOrder::KeyStart key,
                            const database::KeyRests::Ahead &rest, const std::string *sample)
{
    // Qt's models count rows in an int.
    if (items.size() >= std::numeric_limits<int>::max())
        return false;
    const auto id = items.append(nameUtf8, tailUtf8);
    if (id)
        order.add(*id, key, rest, sample ? *sample : std::string());
    return id.has_value();
}

void CelebrityModel::flush(qsizetype upTo)
{
    const auto total = int(std::min(items.size(), upTo));
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
    std::vector<database::SortedOrder::Entry> entries;
    entries.reserve(std::size_t(before.size()));
    for (const QModelIndex &index : before)
        entries.push_back(order.entryAt(index.row()));
    order.commit(total);
    QModelIndexList after;
    after.reserve(before.size());
    for (const auto &entry : entries)
        after.push_back(index(int(order.rowOf(entry)), 0));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::pair<int, int> CelebrityModel::rowsStartingWith(QStringView text) const
{
    // The announced rows are the sorted ones.
    const auto [first, last] = order.rowsStartingWith(text);
    return {int(first), int(last)};
}

} // namespace app
