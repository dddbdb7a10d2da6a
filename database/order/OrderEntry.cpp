#include "OrderEntry.h"
#include "OrderBudget.h"

#include <algorithm>
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

namespace {

// The first `kept` bytes of the key of an item's whole text, or all of it
// when shorter; how many were written.
std::size_t keyBytes(const Collation &collation, itemtext::Utf8Composer &text,
                     QByteArrayView nameUtf8, QByteArrayView tailUtf8, unsigned char *out,
                     std::size_t kept)
{
    // Only the bytes kept are worked out. A text's first part has a key
    // that starts as the whole text's does once its first level runs a few
    // bytes past those (the last characters of a part may weigh otherwise
    // with what follows them, by eight bytes at most): a long tail is keyed
    // by its start alone, and a line of megabytes costs no copy of itself
    // here.
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
        const std::size_t n =
            collation.sortKeyStartUtf8(text.compose(nameUtf8, tail), out, whole ? kept : asked);
        if (whole || (n == asked && std::memchr(out, kLevelEnd, asked) == nullptr)) {
            // A shorter part may have written past a shorter key's end.
            if (n < kept)
                std::memset(out + n, 0, kept - n);
            return std::min(n, kept);
        }
    }
}

} // namespace

KeyStart EntryOrder::keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                              QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                              const std::string &common, KeyRests::Ahead *rest)
{
    // Past the common start when the key begins with it and goes on.
    constexpr std::size_t kStart = KeyRests::kStartBytes;
    const std::size_t kept = common.size() + kStart + (rest ? KeyRests::kAheadBytes : 0);
    unsigned char bytes[load::kCommonStartMax + kStart + KeyRests::kAheadBytes + 8] = {};
    const std::size_t n = keyBytes(collation, text, nameUtf8, tailUtf8, bytes, kept);
    const bool past = !common.empty() && n > common.size() &&
                      std::memcmp(bytes, common.data(), common.size()) == 0;
    const std::size_t from = past ? common.size() : 0;
    if (rest) {
        // The rest's bytes that were worked out: a key past the common start
        // has all of them; one that is not may have some more than asked.
        const std::size_t restKept = from + kStart + KeyRests::kAheadBytes;
        rest->worked = true;
        rest->whole = n < restKept || (n == restKept && n < kept);
        rest->size = static_cast<unsigned char>(std::min(n, restKept) - std::min(n, from + kStart));
        std::memcpy(rest->bytes.data(), bytes + from + kStart, rest->size);
    }
    return {bigEndian(bytes + from), bigEndian(bytes + from + 8), past,
            static_cast<std::uint8_t>(common.size())};
}

bool EntryOrder::chooseCommonStart(const std::vector<ItemArena::Id> &ids)
{
    if (chosen)
        return false;
    chosen = true;
    // The longest start of the first level that the given share of the
    // items' keys begin with: that of the keys that stand closest together
    // in their order, as many of them as the share.
    const std::size_t together = (ids.size() * load::kCommonStartEighths + 7) / 8;
    if (together < 2)
        return false;
    std::vector<std::string> keys;
    keys.reserve(ids.size());
    for (const ItemArena::Id id : ids) {
        unsigned char bytes[load::kCommonStartMax + 8] = {};
        const std::size_t n = keyBytes(collation, first, arena.nameBytes(id), arena.tailBytes(id),
                                       bytes, load::kCommonStartMax);
        const auto *levelEnd = static_cast<const unsigned char *>(std::memchr(bytes, 1, n));
        keys.emplace_back(reinterpret_cast<const char *>(bytes),
                          levelEnd ? std::size_t(levelEnd - bytes) : n);
    }
    std::sort(keys.begin(), keys.end());
    std::size_t best = 0;
    std::size_t bestAt = 0;
    for (std::size_t i = 0; i + together <= keys.size(); ++i) {
        const std::string &a = keys[i];
        const std::string &b = keys[i + together - 1];
        const auto alike = std::size_t(
            std::mismatch(a.begin(), a.begin() + std::ptrdiff_t(std::min(a.size(), b.size())),
                          b.begin())
                .first -
            a.begin());
        if (alike > best) {
            best = alike;
            bestAt = i;
        }
    }
    if (best < KeyRests::kStartBytes)
        return false;
    common = keys[bestAt].substr(0, best);
    const auto *bytes = reinterpret_cast<const unsigned char *>(common.data());
    commonKey = {bigEndian(bytes), bigEndian(bytes + 8)};
    // What was kept of the rests started where the entries' bytes ended;
    // those of the items now past the common start start after it.
    rests.forget();
    return true;
}

void EntryOrder::remake(OrderEntry &e) const
{
    e = OrderEntry::of(keyStart(e.id()), e.id());
}

int EntryOrder::compareWithCommon(const OrderEntry &e) const
{
    if (e.bytes0to7 != commonKey.bytes0to7)
        return e.bytes0to7 < commonKey.bytes0to7 ? -1 : 1;
    if (e.bytes8to15 != commonKey.bytes8to15)
        return e.bytes8to15 < commonKey.bytes8to15 ? -1 : 1;
    return rests.compareWithStart(e.id(), reinterpret_cast<const unsigned char *>(common.data()),
                                  common.size(), KeyRests::kStartBytes);
}

int EntryOrder::compare(const OrderEntry &a, const OrderEntry &b) const
{
    if (a.pastCommon() != b.pastCommon()) {
        // One key goes on past the common start; the other does not begin
        // with it, or ends with it and so sorts first.
        const bool aPast = a.pastCommon();
        const int c = compareWithCommon(aPast ? b : a);
        Q_ASSERT(c != 0 || !keyStart(aPast ? b.id() : a.id()).pastCommon);
        const bool otherFirst = c <= 0;
        return aPast == otherFirst ? 1 : -1;
    }
    if (a.bytes0to7 != b.bytes0to7)
        return a.bytes0to7 < b.bytes0to7 ? -1 : 1;
    if (a.bytes8to15 != b.bytes8to15)
        return a.bytes8to15 < b.bytes8to15 ? -1 : 1;
    if (a.tagged == b.tagged)
        return 0;
    // An item's key ends in no zero byte, and the first level of an item's
    // key holds none: a zero at the end of the entry's bytes is the key's
    // end, and two keys that ended inside them are equal. Otherwise the
    // rests of the keys decide, and where even they tie past what is kept,
    // the collation compares the texts, which it orders as their keys.
    if ((a.bytes8to15 & 0xFF) != 0) {
        bool undecided = false;
        int c = rests.compare(a.id(), b.id(), restFrom(a), undecided);
        if (undecided) {
            c = collation.compareUtf8(
                first.compose(arena.nameBytes(a.id()), arena.tailBytes(a.id())),
                second.compose(arena.nameBytes(b.id()), arena.tailBytes(b.id())));
        }
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return a.id() < b.id() ? -1 : 1;
}

std::string EntryOrder::primaryPrefix(QStringView text) const
{
    std::string bytes;
    collation.appendPrimaryPrefixKey(text, bytes);
    return bytes;
}

int EntryOrder::compareKeyStart(const OrderEntry &e, const std::string &bytes) const
{
    const auto *start = reinterpret_cast<const unsigned char *>(bytes.data());
    // The bytes, a key's start, hold no zero; a zero in the entry's bytes is
    // the key's end, before any byte. An entry past the common start has a
    // key that begins with it.
    std::size_t from = 0;
    if (e.pastCommon()) {
        from = common.size();
        const std::size_t n = std::min(bytes.size(), from);
        if (const int c = n == 0 ? 0 : std::memcmp(common.data(), bytes.data(), n))
            return c < 0 ? -1 : 1;
        if (bytes.size() <= from)
            return 0;
    }
    const std::size_t inEntry = std::min(bytes.size() - from, KeyRests::kStartBytes);
    for (std::size_t i = 0; i < inEntry; ++i) {
        const unsigned char c = keyByte(e, i);
        if (c != start[from + i])
            return c < start[from + i] ? -1 : 1;
    }
    if (bytes.size() <= from + KeyRests::kStartBytes)
        return 0;
    // The bytes go on past the entry's: the key's rest decides.
    return rests.compareWithStart(e.id(), start, bytes.size(), restFrom(e));
}

} // namespace database
