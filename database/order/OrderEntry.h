#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "KeyRests.h"
#include "database/text/ItemText.h"

#include <QByteArrayView>

#include <cstdint>
#include <string>

// The comparison behind the list's order: the collation's order of each
// item's whole text (the name, the 500 blanks, the tail), letter case
// ignored, and among items the collation finds equal the order of arrival.
// It is one order, defined by one key: the item's sort key. An entry keeps the
// key's first sixteen bytes, which decide most comparisons; where they tie,
// the rest of the two keys decides (KeyRests), worked out once per item.

namespace database {

// The first sixteen bytes of the sort key of an item's whole text, big-endian,
// zero past the key's end.
struct KeyStart
{
    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
};

// An entry of the order: the key start and the item. Nothing else is kept,
// and nothing pads it.
#pragma pack(push, 4)
struct OrderEntry
{
    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
    ItemArena::Id id;
};
#pragma pack(pop)
static_assert(sizeof(OrderEntry) == 20, "an item costs the order 20 bytes");
static_assert(sizeof(KeyStart) == KeyRests::kStartBytes, "the rests start where the entry ends");

class EntryOrder
{
public:
    // The arena outlives the order. The collation is the named locale's
    // ("th_TH"), or the user's when none is named.
    EntryOrder(const ItemArena &arena, const QString &locale)
        : arena(arena), collation(locale), rests(arena, collation)
    {}

    // Worked out with a collation and a text buffer of the caller's (the
    // collation of the order's locale), so that any thread can; with the
    // first bytes of the key's rest too when `rest` is given.
    static KeyStart keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                             QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                             KeyRests::Ahead *rest = nullptr);
    KeyStart keyStart(ItemArena::Id id, KeyRests::Ahead *rest = nullptr) const
    {
        return keyStart(collation, first, arena.nameBytes(id), arena.tailBytes(id), rest);
    }
    // Keeps the first bytes of a new item's rest where many items tie
    // (KeyRests::offer).
    void offer(ItemArena::Id id, const KeyRests::Ahead &rest) { rests.offer(id, rest); }

    // Negative, zero or positive as a sorts before, as or after b; only an
    // entry compared with itself is equal.
    int compare(const OrderEntry &a, const OrderEntry &b) const;
    // Most entries differ in their first eight key bytes: that test stays
    // inline in the sorts, merges and searches.
    bool less(const OrderEntry &a, const OrderEntry &b) const
    {
        return a.bytes0to7 != b.bytes0to7 ? a.bytes0to7 < b.bytes0to7 : compare(a, b) < 0;
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
    void prefetch(const OrderEntry &e, bool early) const { rests.prefetch(e.id, early); }

    // Bytes kept of the keys' rests.
    std::size_t restBytes() const { return rests.bytesKept(); }

private:
    const ItemArena &arena;
    Collation collation;
    KeyRests rests;
    // Two items' whole texts, made for a key start or for a comparison
    // that their keys leave to the collation.
    mutable itemtext::Utf8Composer first;
    mutable itemtext::Utf8Composer second;
};

} // namespace database
