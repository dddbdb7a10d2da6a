#include "OrderEntry.h"

#include <cstring>

namespace database {

namespace {

std::uint64_t bigEndian(const unsigned char *key)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value = (value << 8) | key[i];
    return value;
}

} // namespace

KeyStart EntryOrder::keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                              QByteArrayView nameUtf8, QByteArrayView tailUtf8)
{
    // Only the first sixteen bytes of the key are kept, so only they are
    // worked out. A text's first part has a key that starts as the whole
    // text's does once its first level runs a few bytes past those sixteen
    // (the last characters of a part may weigh otherwise with what follows
    // them, by eight bytes at most): a long tail is keyed by its start alone,
    // and a line of megabytes costs no copy of itself here.
    constexpr std::size_t kKept = 16;
    constexpr std::size_t kAsked = kKept + 8;
    constexpr char kLevelEnd = '\x01';
    for (qsizetype part = 1024;; part *= 16) {
        const bool whole = part >= tailUtf8.size();
        QByteArrayView tail = tailUtf8;
        if (!whole) {
            // Cut between two characters, not inside one.
            while (part > 0 && (static_cast<unsigned char>(tailUtf8[part]) & 0xC0) == 0x80)
                --part;
            tail = tailUtf8.first(part);
        }
        // The whole text needs no margin: it is asked for the kept bytes only.
        unsigned char start[kAsked] = {};
        const std::size_t n =
            collation.sortKeyStartUtf8(text.compose(nameUtf8, tail), start, whole ? kKept : kAsked);
        if (whole || (n == kAsked && std::memchr(start, kLevelEnd, kAsked) == nullptr))
            return {bigEndian(start), bigEndian(start + 8)};
    }
}

int EntryOrder::compare(const OrderEntry &a, const OrderEntry &b) const
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    if (a.prefix2 != b.prefix2)
        return a.prefix2 < b.prefix2 ? -1 : 1;
    if (a.id == b.id)
        return 0;
    // Keys hold no zero byte, so a zero in the key start is the key's end:
    // two keys that ended inside it are equal, and so are their texts to the
    // collation. Otherwise the texts decide, compared by the same collation,
    // which orders them as their keys: the key start is the true start of
    // the whole key, so it can never disagree.
    if ((a.prefix2 & 0xFF) != 0 && (arena.nameBytes(a.id) != arena.nameBytes(b.id) ||
                                    arena.tailBytes(a.id) != arena.tailBytes(b.id))) {
        // The same line twice needs no collation; any other pair does.
        const int c =
            collation.compareUtf8(textA.compose(arena.nameBytes(a.id), arena.tailBytes(a.id)),
                                  textB.compose(arena.nameBytes(b.id), arena.tailBytes(b.id)));
        if (c != 0)
            return c;
    }
    return a.id < b.id ? -1 : 1;
}

std::string EntryOrder::primaryPrefix(QStringView text) const
{
    std::string bytes;
    collation.appendPrimaryPrefixKey(text, bytes);
    return bytes;
}

int EntryOrder::compareKeyStart(const OrderEntry &e, const std::string &bytes) const
{
    std::string rest; // the whole key, made only when the bytes go past sixteen
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c;
        if (i < 16) {
            const std::uint64_t half = i < 8 ? e.prefix : e.prefix2;
            c = static_cast<unsigned char>(half >> (56 - 8 * (i % 8)));
        } else {
            // A key of sixteen bytes or more goes on in the item's full key;
            // a shorter one ends in a zero within its key start, which the
            // bytes (a key's start, so free of zeros) passed already.
            if (rest.empty())
                collation.appendSortKey(arena.itemText(e.id), rest);
            c = i < rest.size() ? static_cast<unsigned char>(rest[i]) : 0;
        }
        // Keys hold no zero byte: a zero is the key's end, before any byte.
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (c != b)
            return c < b ? -1 : 1;
    }
    return 0;
}

} // namespace database
