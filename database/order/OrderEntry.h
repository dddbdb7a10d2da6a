#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "KeyRests.h"
#include "database/text/ItemText.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The comparison behind the list's order: the collation's order of each
// item's whole text (the name, the 500 blanks, the tail), letter case
// ignored, and among items the collation finds equal the order of arrival.
// It is one order, defined by one key: the item's sort key. An entry keeps
// fourteen bytes of the key, which decide most comparisons; where they tie,
// the rest of the two keys decides (KeyRests), worked out once per item.
//
// Names of a list often begin alike: a first name, a family name, the same
// title. Which fourteen bytes an entry keeps is chosen so that those starts
// do not use them up. The order takes, from its first items, the starts that
// groups of their keys share (CommonStarts), sorted, none the start of
// another. They cut the keys into slots, in order: the keys before the first
// start, those that begin with it, those between it and the next, and so on.
// An entry keeps its key's slot in two bytes, then the fourteen key bytes
// that follow what every key of its slot begins with: the start itself, or
// the part that the starts on either side share. So entries compare as
// their keys do, byte by byte, and a list of names alike in their first
// forty characters is told apart in its entries as names apart are.

namespace database {

// The starts that groups of an order's keys share, and the slots they cut
// the keys into: slot 2j + 1 holds the keys that begin with start j and go
// on, slot 2j those between start j - 1 and start j (slot 0 those before
// the first, slot 2n those after the last).
struct CommonStarts
{
    // Sorted bytewise; none is the start of another.
    std::vector<std::string> starts;
    // Per slot: the bytes every key of the slot begins with (a start, or
    // what the starts on either side share), and how many.
    std::vector<std::uint8_t> from;
    std::size_t longest = 0;
    // Each start's first eight bytes, big-endian, zero past its end: most
    // of a search among the starts compares these.
    std::vector<std::uint64_t> heads;
    // Tells these starts from others: zero for none.
    std::uint32_t fingerprint = 0;

    // Chooses them from the first bytes of keys (see OrderEntry.cpp).
    static CommonStarts chooseFrom(std::vector<std::string> keys);
    // Chooses them from the sampled keys of an order's first items
    // (EntryOrder::sampleKey), as whoever has those keys would.
    static CommonStarts chooseFromSamples(const std::vector<std::string> &samples);
    // These starts, sorted and none the start of another.
    static CommonStarts of(std::vector<std::string> starts);
    bool empty() const { return starts.empty(); }
    // The slot of a key, from its first bytes: more than `longest` of them,
    // or all of it.
    std::uint16_t slotOf(const unsigned char *key, std::size_t size) const;
    // How many bytes every key of the slot begins with: none without starts.
    std::size_t commonBytes(std::uint16_t slot) const { return empty() ? 0 : from[slot]; }
    // The bytes every key of the slot begins with: commonBytes() of them.
    const char *bytesOf(std::uint16_t slot) const;
};

// What an entry keeps of a key, big-endian: its slot in the first two bytes,
// then fourteen bytes of the key, from where the slot's common bytes end,
// zero past the key's end.
struct KeyStart
{
    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
    // The fingerprint of the common starts it was worked out with: one
    // worked out with others (none, before the order chose them) is worked
    // out again.
    std::uint32_t starts = 0;
};

// An entry of the order: what it keeps of the key, and the item. Nothing
// else is kept, and nothing pads it.
#pragma pack(push, 4)
struct OrderEntry
{
    std::uint64_t bytes0to7;
    std::uint64_t bytes8to15;
    ItemArena::Id id;

    std::uint16_t slot() const { return static_cast<std::uint16_t>(bytes0to7 >> 48); }
};
#pragma pack(pop)
static_assert(sizeof(OrderEntry) == 20, "an item costs the order 20 bytes");
static_assert(2 * sizeof(std::uint64_t) == 2 + KeyRests::kStartBytes,
              "an entry keeps a slot and kStartBytes of a key");

class EntryOrder
{
public:
    // The arena outlives the order. The collation is the named locale's
    // ("th_TH"), or the user's when none is named.
    EntryOrder(const ItemArena &arena, const QString &locale)
        : arena(arena), collation(locale), rests(arena, collation)
    {}

    // Worked out with a collation and a text buffer of the caller's (the
    // collation of the order's locale) and the order's common starts, so
    // that any thread can; with the first bytes of the key's rest too when
    // `rest` is given.
    static KeyStart keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                             QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                             const CommonStarts &starts, KeyRests::Ahead *rest = nullptr);
    KeyStart keyStart(ItemArena::Id id, KeyRests::Ahead *rest = nullptr) const
    {
        return keyStart(collation, first, arena.nameBytes(id), arena.tailBytes(id), starts, rest);
    }
    // Keeps the first bytes of a new item's rest where many items tie
    // (KeyRests::offer).
    void offer(ItemArena::Id id, const KeyRests::Ahead &rest) { rests.offer(id, rest); }

    // The common starts, none until chosen.
    const CommonStarts &commonStarts() const { return starts; }
    // The first bytes of the key of an item's whole text that the common
    // starts are chosen from: worked out for an order's first items, by the
    // reader or here.
    static std::string sampleKey(const Collation &collation, itemtext::Utf8Composer &text,
                                 QByteArrayView nameUtf8, QByteArrayView tailUtf8);
    std::string sampleKey(ItemArena::Id id) const
    {
        return sampleKey(collation, first, arena.nameBytes(id), arena.tailBytes(id));
    }
    // The key start, as keyStart() works it out, from a sampled key, which
    // goes far enough.
    static KeyStart keyStartOfSample(const std::string &sample, const CommonStarts &starts,
                                     KeyRests::Ahead *rest = nullptr);
    // Chooses the common starts from the sampled keys of these items, once;
    // true when there are some, and then every entry made before is made
    // again with them, each visited by `eachEntry`.
    using Sample = std::pair<ItemArena::Id, std::string>;
    using EachEntry = std::function<void(const std::function<void(OrderEntry &)> &)>;
    bool chooseCommonStarts(const std::vector<Sample> &samples, const EachEntry &eachEntry);
    static OrderEntry entryOf(const KeyStart &key, ItemArena::Id id)
    {
        return {key.bytes0to7, key.bytes8to15, id};
    }

    // Negative, zero or positive as a sorts before, as or after b; only an
    // entry compared with itself is equal.
    int compare(const OrderEntry &a, const OrderEntry &b) const;
    // Most entries differ in their first eight bytes: that test stays inline
    // in the sorts, merges and searches.
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
    // Where the rest of an entry's key starts: past its slot's common bytes
    // and the fourteen the entry keeps.
    std::size_t restFrom(const OrderEntry &e) const
    {
        return starts.commonBytes(e.slot()) + KeyRests::kStartBytes;
    }

    const ItemArena &arena;
    Collation collation;
    KeyRests rests;
    CommonStarts starts;
    bool chosen = false;
    // Two items' whole texts, made for a key start or for a comparison
    // that their keys leave to the collation.
    mutable itemtext::Utf8Composer first;
    mutable itemtext::Utf8Composer second;
};

} // namespace database
