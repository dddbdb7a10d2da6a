#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "ItemText.h"

#include <QtGlobal>

#include <cstdint>
#include <vector>

// The rest of an item's sort key, past the sixteen bytes its order entry
// keeps: worked out the first time the item's key start ties with
// another's, and kept for the items that tie only, so that a list of names
// alike in their first letters costs one more key per item instead of a
// comparison of two whole texts at every step of every sort and merge.
//
// Each item's rest is worked out as far as its comparisons have needed:
// sixteen bytes more at first, then twice as many each time two rests still
// tie, up to the whole key. A key longer than kMaxBytes (an item of
// thousands of characters) is not kept whole: two such rests that still tie
// there are left to the collation's comparison of the texts.

namespace database {

class KeyRests
{
public:
    // The bytes an order entry keeps of every key: the rests start there.
    static constexpr std::size_t kStartBytes = 16;
    // Bytes of a key kept at most: whole for any item of a name and a tail of
    // up to a few thousand characters, the 500 blanks between them included.
    static constexpr std::size_t kMaxBytes = 4096;

    // The arena outlives the rests. The collation is the order's.
    KeyRests(const ItemArena &arena, const Collation &collation)
        : arena(arena), collation(collation)
    {}

    // Compares the keys of two items whose first kStartBytes are equal and
    // go on past them; zero when both keys are whole and equal. Sets
    // `undecided` when both go on alike past kMaxBytes.
    int compare(ItemArena::Id a, ItemArena::Id b, bool &undecided) const;

    // Compares an item's key with the start of keys, `size` bytes of which
    // the first kStartBytes are equal to the item's: negative when the
    // item's key sorts before every key that starts so, zero when it starts
    // so, positive when after.
    int compareWithStart(ItemArena::Id id, const unsigned char *start, std::size_t size) const;

    // Bytes kept, for the benchmarks' memory figures.
    std::size_t bytesKept() const { return store.capacity() + where.capacity() * sizeof(Offset); }

private:
    using Offset = std::uint32_t;
    // An item's key past its first kStartBytes: `size` of its bytes, which
    // are all of it when `whole`.
    struct View
    {
        const unsigned char *bytes;
        std::size_t size;
        bool whole;
    };
    // Works out at least `size` bytes of the item's rest, or all of it,
    // unless it has them already.
    void ensure(ItemArena::Id id, std::size_t size) const;
    View view(Offset at) const;
    void dropOutgrown() const;
    // At least `size` bytes of the item's rest, or all of it; no bytes when
    // the store is full.
    View rest(ItemArena::Id id, std::size_t size) const;

    const ItemArena &arena;
    const Collation &collation;
    // Per item, 1 + where its record lies in the store; 0 for none yet.
    mutable std::vector<Offset> where;
    // Records one after the other: the bytes' count (two bytes), whether
    // they end the key (one byte), the bytes. A record made longer is made
    // anew at the end, and the store is copied without the records outgrown
    // once they take half of it.
    mutable std::vector<unsigned char> store;
    mutable std::size_t outgrown = 0;
    mutable std::vector<unsigned char> scratch;
    mutable itemtext::Utf8Composer text;
};

} // namespace database
