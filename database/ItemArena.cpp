#include "ItemArena.h"
#include "ItemText.h"

#include <limits>

namespace database {

void ItemArena::reserve(qint64 items, qint64 bytes)
{
    if (items > 0 && items < std::numeric_limits<Id>::max())
        records.reserve(records.size() + std::size_t(items));
    if (bytes > 0)
        arena.reserve(arena.size() + std::size_t(bytes));
}

std::optional<ItemArena::Id> ItemArena::append(QByteArrayView nameUtf8, QByteArrayView tailUtf8)
{
    if (records.size() >= std::numeric_limits<Id>::max() || nameUtf8.size() >= (1 << 16))
        return std::nullopt;
    Record r;
    r.text = arena.size();
    r.nameBytes = std::uint64_t(nameUtf8.size());
    arena.insert(arena.end(), nameUtf8.begin(), nameUtf8.end());
    arena.insert(arena.end(), tailUtf8.begin(), tailUtf8.end());
    records.push_back(r);
    return Id(records.size() - 1);
}

QByteArrayView ItemArena::nameBytes(Id id) const
{
    const Record &r = records[id];
    return {arena.data() + r.text, qsizetype(r.nameBytes)};
}

QByteArrayView ItemArena::tailBytes(Id id) const
{
    const Record &r = records[id];
    const std::uint64_t end = id + 1 < records.size() ? records[id + 1].text : arena.size();
    const std::uint64_t start = r.text + r.nameBytes;
    return {arena.data() + start, qsizetype(end - start)};
}

QString ItemArena::name(Id id) const
{
    return QString::fromUtf8(nameBytes(id));
}

QString ItemArena::itemText(Id id) const
{
    return itemtext::compose(QString::fromUtf8(nameBytes(id)), QString::fromUtf8(tailBytes(id)));
}

} // namespace database
