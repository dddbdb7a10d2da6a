#pragma once

#include "Collation.h"
#include "ItemArena.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

// The alphabetical order of an arena's items, as the sorted list shows them:
// by name in the collation's order, then by tail, then in arrival order, so
// that an item equal to an earlier one goes after it.
//
// The order is kept in small blocks, and the blocks in groups, so that sorting
// an item in and finding the item at a row both cost a few binary searches and
// a short move however long the list grows: no step walks or moves all blocks. Added
// items wait in arrival order until commit() sorts them in; rows past the
// sorted ones show the waiting items, so that a model can announce them as
// appended first and as moved to their places after.

namespace database {

class SortedOrder
{
public:
    using Id = ItemArena::Id;

    // The arena outlives the order and only grows.
    explicit SortedOrder(const ItemArena &arena) : arena(arena) {}
    SortedOrder(const SortedOrder &) = delete;
    SortedOrder &operator=(const SortedOrder &) = delete;

    // Adds an item of the arena to the waiting ones.
    void add(Id id);
    // Sorts the waiting items in, or only the first of them so that `upTo`
    // items are sorted.
    void commit(qsizetype upTo = std::numeric_limits<qsizetype>::max());

    // Items in the order, waiting ones included.
    qsizetype size() const { return sorted + qsizetype(waiting.size()); }

    // An entry of the order: the first sixteen bytes of the name's collation
    // key, big-endian, which decide most comparisons without a look
    // elsewhere, and the item. Names alike in those bytes are compared in
    // full, then their tails; nothing else is kept, so an item costs the
    // order 24 bytes.
    struct Entry
    {
        std::uint64_t prefix;
        std::uint64_t prefix2;
        Id id;
    };

    // The item at a row: sorted rows first, then the waiting ones.
    Id idAt(qsizetype row) const { return entryAt(row).id; }
    const Entry &entryAt(qsizetype row) const;
    // The row of a sorted item; -1 for one not in the order.
    qsizetype rowOf(const Entry &entry) const;

    // The sorted rows whose names begin with the text at the collation's
    // first level (case and accents ignored), as [first, last); they stand
    // together in the order. An empty range when none does.
    std::pair<qsizetype, qsizetype> rowsStartingWith(QStringView text) const;

private:
    using Block = std::vector<Entry>;
    // Consecutive blocks, with the last entry of each for the block search.
    struct Group
    {
        std::vector<Block> blocks;
        std::vector<Entry> lasts;
        qsizetype count = 0;
    };

    bool less(const Entry &a, const Entry &b) const;
    // Negative when the entry's key sorts before every key that starts with
    // the bytes, zero when it starts with them, positive when after.
    int compareKeyStart(const Entry &e, const std::string &bytes) const;
    // The first sorted row whose entry is not below the bytes (`after`
    // false) or sorts past them (`after` true).
    qsizetype partitionRow(const std::string &bytes, bool after) const;
    int compareTails(Id a, Id b) const;
    // Sorts e in, looking from the group `fromGroup` on; leaves there the
    // group it went into.
    void insertSorted(const Entry &e, std::size_t &fromGroup);
    void refreshStarts() const;
    // The row of an entry given by its group, block and place in the block.
    qsizetype rowAt(std::size_t g, std::size_t b, std::size_t i) const;

    const ItemArena &arena;
    Collation collation;
    std::vector<Entry> waiting;
    std::vector<Group> groups;
    std::vector<Entry> groupLasts; // the last entry of each group, for the group search
    qsizetype sorted = 0;
    mutable std::vector<qsizetype> starts; // first row of each group
    mutable bool startsDirty = false;
};

} // namespace database
