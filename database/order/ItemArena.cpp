#include "ItemArena.h"
#include "database/text/ItemText.h"

#include <limits>

namespace database {

namespace {

// A name's length, in front of it: seven bits a byte, low bits first, the
// top bit set in every byte but the last.
int lengthBytes(std::size_t length)
{
    return length < 0x80 ? 1 : length < 0x4000 ? 2 : 3;
}

} // namespace

void ItemArena::reserve(qint64 items, qint64 bytes)
{
    if (items > 0 && items < std::numeric_limits<Id>::max())
        starts.reserve(starts.size() + std::size_t(items));
    if (bytes > 0)
        arena.reserve(arena.size() + std::size_t(bytes));
}

std::optional<ItemArena::Id> ItemArena::append(QByteArrayView nameUtf8, QByteArrayView tailUtf8)
{
    const auto nameSize = std::size_t(nameUtf8.size());
    if (starts.size() >= std::numeric_limits<Id>::max() || nameSize >= (1 << 16) ||
        arena.size() + std::size_t(lengthBytes(nameSize)) + nameSize +
                std::size_t(tailUtf8.size()) >
            std::numeric_limits<std::uint32_t>::max())
        return std::nullopt;
    starts.push_back(std::uint32_t(arena.size()));
    for (std::size_t rest = nameSize;; rest >>= 7) {
        const bool more = rest >= 0x80;
        arena.push_back(char((rest & 0x7F) | (more ? 0x80 : 0)));
        if (!more)
            break;
    }
    arena.insert(arena.end(), nameUtf8.begin(), nameUtf8.end());
    arena.insert(arena.end(), tailUtf8.begin(), tailUtf8.end());
    return Id(starts.size() - 1);
}

QByteArrayView ItemArena::nameBytes(Id id) const
{
    const char *at = arena.data() + starts[id];
    std::size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        length |= std::size_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            break;
    }
    return {at, qsizetype(length)};
}

QByteArrayView ItemArena::tailBytes(Id id) const
{
    const QByteArrayView name = nameBytes(id);
    const char *start = name.data() + name.size();
    const char *end = arena.data() + (id + 1 < starts.size() ? starts[id + 1] : arena.size());
    return {start, qsizetype(end - start)};
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
