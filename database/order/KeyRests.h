#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "database/text/ItemText.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

// The rest of an item's sort key, past the fourteen bytes its order entry
// keeps: worked out the first time the item's key start ties with
// another's, and kept for the items that tie only, so that a list of names
// alike in their first letters costs one more key per item instead of a
// comparison of two whole texts at every step of every sort and merge.
//
// A rest is worked out about as far as the two names that first tie go
// alike, then twice as far as two rests still tie, up to the whole key; its
// first seven bytes are kept beside the item, more in slots of a size class.
// Two items of the same name tie through the name and the 500 blanks after
// it; their order is their tails' order: short tails are compared by the
// collation, longer ones by their keys, kept instead, a few bytes each. A key
// longer than kMaxBytes (an item of thousands of characters) is not kept
// whole: two rests that still tie there are left to the collation's
// comparison of the texts.

namespace database {

class KeyRests
{
public:
    // The bytes an order entry keeps of every key (past what its slot's
    // keys all begin with, OrderEntry.h): the rests start after them.
    static constexpr std::size_t kStartBytes = 14;
    // Bytes of a key kept at most: whole for any item of a name and a tail of
    // up to a few thousand characters, the 500 blanks between them included.
    static constexpr std::size_t kMaxBytes = 4096;
    // Sizes of the slots kept keys take, each a half larger than the one before.
    static constexpr std::size_t kClasses = 16;

    // The first bytes of an item's rest, worked out with its key start by
    // whoever works that out (the reader, ahead of the window's thread).
    static constexpr std::size_t kAheadBytes = 7;
    struct Ahead
    {
        std::array<unsigned char, kAheadBytes> bytes{};
        unsigned char size = 0;
        bool whole = false;  // the key ends within them
        bool worked = false; // whether any were asked for
    };

    // The arena outlives the rests. The collation is the order's.
    KeyRests(const ItemArena &arena, const Collation &collation)
        : arena(arena), collation(collation)
    {}

    // An item's rest starts at the same byte of its key (`from`) wherever it
    // is asked for: past the bytes its order entry keeps (OrderEntry.h).

    // Compares the keys of two items whose first `from` bytes are equal and
    // go on past them; zero when both keys are whole and equal. Sets
    // `undecided` when both go on alike past kMaxBytes.
    int compare(ItemArena::Id a, ItemArena::Id b, std::size_t from, bool &undecided) const;

    // Compares an item's key with the start of keys, `size` bytes of which
    // the first `from` are equal to the item's: negative when the item's key
    // sorts before every key that starts so, zero when it starts so,
    // positive when after.
    int compareWithStart(ItemArena::Id id, const unsigned char *start, std::size_t size,
                         std::size_t from) const;

    // Forgets every key kept: where the rests start has changed.
    void forget();

    // Whether many items have rests (kept by item rather than in tables).
    bool many() const { return !rests.empty(); }
    // Keeps the first bytes of a new item's rest, worked out ahead, once
    // many items have rests: most new ones will tie too, and then need no
    // key worked out here.
    void offer(ItemArena::Id id, const Ahead &ahead);
    // Asks the memory ahead of a comparison that may need it for what is
    // kept of the item's rest (`early`), or, once that has arrived, for the
    // slot it points into.
    void prefetch(ItemArena::Id id, bool early) const;

    // Bytes kept, for the benchmarks' memory figures.
    std::size_t bytesKept() const;

private:
    // What is kept of a key beside its item: up to seven of its bytes, or
    // where in a slab the key lies; `tag` tells which (KeyRests.cpp).
    struct Kept
    {
        std::array<unsigned char, kAheadBytes> bytes{};
        unsigned char tag = 0;
    };
    static_assert(sizeof(Kept) == 8, "what is kept beside an item takes eight bytes");
    static Kept inPlace(const unsigned char *bytes, std::size_t size, bool whole);
    // Bytes of a key (a rest or a tail's key): `size` of them, which are all
    // of it when `whole`.
    struct View
    {
        const unsigned char *bytes;
        std::size_t size;
        bool whole;
    };
    // Slots of one size, a slot freed when its key outgrows it taken again
    // by the next key of that size; blocks of slots, never moved.
    struct Slab
    {
        std::vector<std::unique_ptr<unsigned char[]>> blocks;
        std::size_t used = 0;
        std::vector<std::uint32_t> freed;
    };

    // What is kept by item once many items have rests: in blocks that are
    // made as items need them and never move, so that the list grows
    // without a copy of itself (tens of megabytes in a list of millions,
    // a pause a user would see) and without a spare copy's memory.
    class KeptByItem
    {
    public:
        bool empty() const { return blocks.empty(); }
        // Nothing where no item of the id's block has a rest yet.
        Kept *find(ItemArena::Id id) const
        {
            const std::size_t block = id >> kBlockShift;
            return block < blocks.size() && blocks[block] ? &blocks[block][id & kBlockMask]
                                                          : nullptr;
        }
        Kept &at(ItemArena::Id id)
        {
            Kept *kept = find(id);
            return kept ? *kept : make(id);
        }
        std::size_t bytes() const;

    private:
        Kept &make(ItemArena::Id id);

        // 65,536 items a block: half a megabyte.
        static constexpr int kBlockShift = 16;
        static constexpr ItemArena::Id kBlockMask = (ItemArena::Id(1) << kBlockShift) - 1;
        std::vector<std::unique_ptr<Kept[]>> blocks;
    };

    // What is kept for a few items, by item: in tables of a part of the
    // items each, which grow on their own, so that no growth moves more than
    // a sliver of what is kept (one node map of half a million items held
    // the window up for some 30 ms as it grew). Each table is open-addressed:
    // twelve bytes an item, found with one look at memory, where a node map
    // took some forty and two looks.
    class KeptByMap
    {
    public:
        // What is kept for the item, nothing at first. The references of
        // the part's other items move when the item is new.
        Kept &operator[](ItemArena::Id id);
        // What is kept for the item; nothing, and nothing added, when the
        // item has no place yet.
        const Kept *find(ItemArena::Id id) const;
        std::size_t size() const { return count; }
        template <typename Visit> void forEach(Visit visit) const
        {
            for (const Part &part : parts) {
                for (const Slot &slot : part.table) {
                    if (slot.id != kNone)
                        visit(slot.id, slot.kept);
                }
            }
        }
        void clear();
        std::size_t bytes() const;

    private:
        static constexpr std::size_t kParts = 256;
        static constexpr ItemArena::Id kNone = ~ItemArena::Id(0);
        struct Slot
        {
            ItemArena::Id id = kNone;
            Kept kept;
        };
        struct Part
        {
            std::vector<Slot> table; // a power of two of them, or none
            std::size_t used = 0;
        };
        static void grow(Part &part);
        // The slot that holds the item, or the free one where it would go.
        template <typename Table> static auto &slotFor(Table &table, ItemArena::Id id);
        std::array<Part, kParts> parts;
        std::size_t count = 0;
    };

    // The item's rest: in tables while few items have one, by item once many
    // do (names alike tie by the thousand), whichever is smaller.
    Kept &restOf(ItemArena::Id id) const;
    // Whether the item has a rest, asked without making it a place.
    bool hasRest(ItemArena::Id id) const;
    // Works out at least `size` bytes of the item's rest, or all of it,
    // unless it has them already; false when none can be kept.
    bool ensureRest(ItemArena::Id id, std::size_t size, std::size_t from) const;
    // Works out the key of the item's tail: whole, or its first kMaxBytes.
    bool ensureTail(ItemArena::Id id) const;
    // Compares two items of the same name by their tails' keys.
    int compareTails(ItemArena::Id a, ItemArena::Id b, bool &undecided) const;
    // The bytes of rest two items that tie for the first time are given.
    std::size_t firstRest(ItemArena::Id a, ItemArena::Id b, std::size_t from) const;
    // Works out `wanted` bytes of the key of `text` from byte `from` on into
    // `kept`, in place or in a slot (freeing the one it had); false when
    // there is no room left.
    bool keep(QByteArrayView text, std::size_t from, std::size_t wanted, Kept &kept) const;
    View view(const Kept &kept) const;
    // Compares the bytes kept in place beside two items, as far as both go;
    // zero where that tells nothing (or nothing is kept so).
    int compareInPlace(ItemArena::Id a, ItemArena::Id b) const;
    unsigned char *slot(std::size_t sizeClass, std::size_t index) const;
    // The slot a Kept that lies in one points into, and its index in its class.
    static std::uint32_t slotIndex(const Kept &kept);
    unsigned char *slotOf(const Kept &kept) const;
    void free(const Kept &kept) const;

    const ItemArena &arena;
    const Collation &collation;
    mutable std::array<Slab, kClasses> slabs;
    mutable KeptByMap fewRests;
    mutable KeptByItem rests;
    // Per item of a name another item has too, its tail's key, where the
    // tails are not compared as texts.
    mutable KeptByMap tails;
    mutable std::size_t tailsCompared = 0;
    mutable std::vector<unsigned char> scratch;
    mutable itemtext::Utf8Composer text;
};

} // namespace database
