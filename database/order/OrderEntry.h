#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "KeyRests.h"
#include "database/text/ItemText.h"

#include <QByteArrayView>

#include <cstdint>
#include <string>
#include <vector>

// The comparison behind the list's order: the collation's order of each
// item's whole text (the name, the 500 blanks, the tail), letter case
// ignored, and among items the collation finds equal the order of arrival.
// It is one order, defined by one key: the item's sort key. An entry keeps the
// key's first sixteen bytes, which decide most comparisons; where they tie,
// the rest of the two keys decides (KeyRests), worked out once per item.

namespace database {

// The sixteen bytes of the sort key of an item's whole text that its entry
// keeps, big-endian, zero past the key's end: the key's first sixteen, or,
// for a key that begins with the order's common start and goes on past it,
// the sixteen that follow the common start (`pastCommon`).
struct KeyStart
{
    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
    bool pastCommon = false;
    // The size of the common start the bytes were worked out with (zero for
    // none): a key start worked out before the order chose its common start
    // is worked out again.
    std::uint8_t commonSize = 0;
};

// An entry of the order: the bytes of the key it keeps and the item, whose
// top bit tells whether the bytes follow the common start. Nothing else is
// kept, and nothing pads it.
#pragma pack(push, 4)
struct OrderEntry
{
    static constexpr std::uint32_t kPastCommon = 0x80000000u;

    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
    std::uint32_t tagged; // the item, and kPastCommon

    ItemArena::Id id() const { return tagged & ~kPastCommon; }
    bool pastCommon() const { return (tagged & kPastCommon) != 0; }
    static OrderEntry of(const KeyStart &key, ItemArena::Id id)
    {
        return {key.bytes0to7, key.bytes8to15, id | (key.pastCommon ? kPastCommon : 0)};
    }
};
#pragma pack(pop)
static_assert(sizeof(OrderEntry) == 20, "an item costs the order 20 bytes");
static_assert(2 * sizeof(std::uint64_t) == KeyRests::kStartBytes,
              "the rests start where the entry's bytes end");

class EntryOrder
{
public:
    // The arena outlives the order. The collation is the named locale's
    // ("th_TH"), or the user's when none is named.
    EntryOrder(const ItemArena &arena, const QString &locale)
        : arena(arena), collation(locale), rests(arena, collation)
    {}

    // Worked out with a collation and a text buffer of the caller's (the
    // collation of the order's locale) and the order's common start, so that
    // any thread can; with the first bytes of the key's rest too when `rest`
    // is given.
    static KeyStart keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                             QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                             const std::string &common, KeyRests::Ahead *rest = nullptr);
    KeyStart keyStart(ItemArena::Id id, KeyRests::Ahead *rest = nullptr) const
    {
        return keyStart(collation, first, arena.nameBytes(id), arena.tailBytes(id), common, rest);
    }
    // Keeps the first bytes of a new item's rest where many items tie
    // (KeyRests::offer).
    void offer(ItemArena::Id id, const KeyRests::Ahead &rest) { rests.offer(id, rest); }

    // The common start: the first bytes of the keys of nearly all of the
    // first items, where they are alike past an entry's sixteen bytes (a list
    // of names that all begin with the same words); empty when there is none.
    // An entry of an item whose key begins with it and goes on keeps the
    // sixteen bytes after it, so that such items compare in their entries as
    // items apart do, not by the rests of their keys.
    const std::string &commonStart() const { return common; }
    // Chooses the common start from the keys of these items, once; true
    // when there is one, and then every entry made before is made again
    // (remake).
    bool chooseCommonStart(const std::vector<ItemArena::Id> &ids);
    // The entry as it is made with the common start.
    void remake(OrderEntry &e) const;

    // Negative, zero or positive as a sorts before, as or after b; only an
    // entry compared with itself is equal.
    int compare(const OrderEntry &a, const OrderEntry &b) const;
    // Most entries differ in their first eight bytes: that test stays inline
    // in the sorts, merges and searches.
    bool less(const OrderEntry &a, const OrderEntry &b) const
    {
        return a.bytes0to7 != b.bytes0to7 && ((a.tagged ^ b.tagged) & OrderEntry::kPastCommon) == 0
                   ? a.bytes0to7 < b.bytes0to7
                   : compare(a, b) < 0;
    }

    // The bytes that start the key of every text beginning with `text` at
    // the collation's first level (case and accents ignored); empty when
    // there are none.
    std::string primaryPrefix(QStringView text) const;
    // Negative when the entry's key sorts before every key that starts with
    // the bytes (a primaryPrefix()), zero when it starts with them, positive
    // when after.
    int compareKeyStart(const OrderEntry &e, const std::string &bytes) const;

    // Whether many items have rests: then prefetching pays.
    bool tiesAreMany() const { return rests.many(); }
    // Asks the memory ahead of time for what comparing the entry will read:
    // what is kept of its key's rest (`early`), then where that points.
    void prefetch(const OrderEntry &e, bool early) const { rests.prefetch(e.id(), early); }

    // Bytes kept of the keys' rests.
    std::size_t restBytes() const { return rests.bytesKept(); }

private:
    // Where the rest of an entry's key starts.
    std::size_t restFrom(const OrderEntry &e) const
    {
        return KeyRests::kStartBytes + (e.pastCommon() ? common.size() : 0);
    }
    // Compares the key of an entry that does not go on past the common start
    // with the common start, as compareKeyStart does.
    int compareWithCommon(const OrderEntry &e) const;

    const ItemArena &arena;
    Collation collation;
    KeyRests rests;
    std::string common;
    // Its first sixteen bytes, as an entry keeps a key's.
    KeyStart commonKey{};
    bool chosen = false;
    // Two items' whole texts, made for a key start or for a comparison
    // that their keys leave to the collation.
    mutable itemtext::Utf8Composer first;
    mutable itemtext::Utf8Composer second;
};

} // namespace database
