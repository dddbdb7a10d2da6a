#include "OrderEntry.h"
#include "OrderBudget.h"

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

unsigned char keyByte(const OrderEntry &e, std::size_t i)
{
    const std::uint64_t half = i < 8 ? e.bytes0to7 : e.bytes8to15;
    return static_cast<unsigned char>(half >> (56 - 8 * (i % 8)));
}

} // namespace

KeyStart EntryOrder::keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                              QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                              KeyRests::Ahead *rest)
{
    // Only the first sixteen bytes of the key are kept, and the rest's first
    // bytes when asked for, so only they are worked out. A text's first part
    // has a key that starts as the whole text's does once its first level
    // runs a few bytes past those (the last characters of a part may weigh
    // otherwise with what follows them, by eight bytes at most): a long tail
    // is keyed by its start alone, and a line of megabytes costs no copy of
    // itself here.
    constexpr std::size_t kStart = KeyRests::kStartBytes;
    const std::size_t kept = kStart + (rest ? KeyRests::kAheadBytes : 0);
    const std::size_t asked = kept + 8;
    constexpr char kLevelEnd = '\x01';
    for (qsizetype part = load::kKeyStartPart;; part *= load::kKeyStartPartGrowth) {
        const bool whole = part >= tailUtf8.size();
        QByteArrayView tail = tailUtf8;
        if (!whole) {
            // Cut between two characters, not inside one.
            while (part > 0 && (static_cast<unsigned char>(tailUtf8[part]) & 0xC0) == 0x80)
                --part;
            tail = tailUtf8.first(part);
        }
        // The whole text needs no margin: it is asked for the kept bytes only.
        unsigned char start[kStart + KeyRests::kAheadBytes + 8] = {};
        const std::size_t n =
            collation.sortKeyStartUtf8(text.compose(nameUtf8, tail), start, whole ? kept : asked);
        if (whole || (n == asked && std::memchr(start, kLevelEnd, asked) == nullptr)) {
            if (rest) {
                rest->worked = true;
                rest->whole = whole && n < kept;
                rest->size = static_cast<unsigned char>(std::min(n, kept) - std::min(n, kStart));
                std::memcpy(rest->bytes.data(), start + kStart, rest->size);
            }
            return {bigEndian(start), bigEndian(start + 8)};
        }
    }
}

int EntryOrder::compare(const OrderEntry &a, const OrderEntry &b) const
{
    if (a.bytes0to7 != b.bytes0to7)
        return a.bytes0to7 < b.bytes0to7 ? -1 : 1;
    if (a.bytes8to15 != b.bytes8to15)
        return a.bytes8to15 < b.bytes8to15 ? -1 : 1;
    if (a.id == b.id)
        return 0;
    // An item's key ends in no zero byte, and the first level of an item's
    // key holds none: a zero at the end of the key start is the key's end,
    // and two keys that ended inside it are equal. Otherwise the rests of
    // the keys decide, and where even they tie past what is kept, the
    // collation compares the texts, which it orders as their keys.
    if ((a.bytes8to15 & 0xFF) != 0) {
        bool undecided = false;
        int c = rests.compare(a.id, b.id, undecided);
        if (undecided) {
            c = collation.compareUtf8(first.compose(arena.nameBytes(a.id), arena.tailBytes(a.id)),
                                      second.compose(arena.nameBytes(b.id), arena.tailBytes(b.id)));
        }
        if (c != 0)
            return c < 0 ? -1 : 1;
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
    const std::size_t inStart = std::min(bytes.size(), KeyRests::kStartBytes);
    for (std::size_t i = 0; i < inStart; ++i) {
        // The bytes, a key's start, hold no zero; a zero in the key start is
        // the key's end, before any byte.
        const unsigned char c = keyByte(e, i);
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (c != b)
            return c < b ? -1 : 1;
    }
    if (bytes.size() <= KeyRests::kStartBytes)
        return 0;
    // The bytes go on past the key start: the key's rest decides.
    return rests.compareWithStart(e.id, reinterpret_cast<const unsigned char *>(bytes.data()),
                                  bytes.size());
}

} // namespace database
