#pragma once

#include "Collation.h"
#include "ItemArena.h"
#include "ItemText.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The alphabetical order of an arena's items, as the sorted list shows them:
// the collation's order of each item's whole text (the name, the 500 blanks,
// the tail), letter case ignored, and among items the collation finds equal
// the order of arrival, so that an item equal to an earlier one goes after it.
//
// Added items wait in arrival order until commit() sorts them in; rows past
// the sorted ones show the waiting items, so that a model can announce them as
// appended first and as moved to their places after. A commit sorts its items
// into a run of their own; compact() merges runs in the background of a load,
// smaller ones first, so that each item is moved a few times in a streaming
// pass instead of being sorted into one ever larger array at a random place:
// loading stays linear in time and touches memory in order. The rows are the
// runs' items merged, found by a search across the runs (or by stepping from
// the last row asked for); once compacted into one run a row is an index.

namespace database {

class SortedOrder
{
public:
    using Id = ItemArena::Id;

    // The arena outlives the order and only grows. The collation is the
    // named locale's ("th_TH"), or the user's when none is named.
    explicit SortedOrder(const ItemArena &arena, const QString &locale = {})
        : arena(arena), collation(locale)
    {}
    SortedOrder(const SortedOrder &) = delete;
    SortedOrder &operator=(const SortedOrder &) = delete;

    // The first sixteen bytes of the collation key of an item's whole text,
    // big-endian: they decide most comparisons without a look at the texts.
    struct KeyStart
    {
        std::uint64_t prefix;
        std::uint64_t prefix2;
    };
    // Worked out with a collation and a text buffer of the caller's (the
    // collation of the order's locale), so that any thread can.
    static KeyStart keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                             QByteArrayView nameUtf8, QByteArrayView tailUtf8);

    // Adds an item of the arena to the waiting ones; with its key start when
    // the caller has worked it out already.
    void add(Id id)
    {
        add(id, keyStart(collation, textA, arena.nameBytes(id), arena.tailBytes(id)));
    }
    void add(Id id, KeyStart key) { waiting.push_back({key.prefix, key.prefix2, id}); }
    // Sorts the waiting items in, or only the first of them so that `upTo`
    // items are sorted.
    void commit(qsizetype upTo = std::numeric_limits<qsizetype>::max());
    // Sorts the next chunk of the waiting items that a commit up to `upTo`
    // will take, if a whole chunk of them waits: a commit then has few items
    // left to sort itself, however many wait. One chunk's work at most.
    void presort(qsizetype upTo);
    // Does at most `moves` item moves of merging; true while merges are due.
    // Due merges keep every run at least twice the size of the next newer
    // one, or, with `toOne`, leave a single run. Rows stay as they are.
    bool compact(std::size_t moves, bool toOne = false);

    // Items in the order, waiting ones included.
    qsizetype size() const { return sorted + qsizetype(waiting.size()); }
    qsizetype waitingCount() const { return qsizetype(waiting.size()); }

    // An entry of the order: the key start and the item. Items alike in
    // those bytes are compared in full; nothing else is kept, and nothing
    // pads it, so an item costs the order 20 bytes.
#pragma pack(push, 4)
    struct Entry
    {
        std::uint64_t prefix;
        std::uint64_t prefix2;
        Id id;
    };
#pragma pack(pop)

    // The item at a row: sorted rows first, then the waiting ones.
    Id idAt(qsizetype row) const
    {
        return entryAt(row).id;
    }
    const Entry &entryAt(qsizetype row) const;
    // The row of a sorted item; -1 for one not in the order.
    qsizetype rowOf(const Entry &entry) const;

    // The sorted rows whose names begin with the text at the collation's
    // first level (case and accents ignored), as [first, last); they stand
    // together in the order. An empty range when none does.
    std::pair<qsizetype, qsizetype> rowsStartingWith(QStringView text) const;

private:
    // Sorted entries in chunks of a fixed size, taken from the front while
    // merged into a bigger run, so that a merge frees memory as it fills.
    using Chunk = std::unique_ptr<Entry[]>;
    // Chunks a merge emptied, for the runs to fill again: memory handed back
    // and taken again would be faulted in anew.
    using Spares = std::vector<Chunk>;
    class Run
    {
    public:
        static constexpr std::size_t kChunk = 4096;

        std::size_t size() const { return count; }
        bool empty() const { return count == 0; }
        const Entry &operator[](std::size_t i) const
        {
            const std::size_t at = skipped + i;
            return chunks[at / kChunk][at % kChunk];
        }
        const Entry &front() const { return (*this)[0]; }
        void push_back(const Entry &e, Spares &spares);
        void pop_front(Spares &spares);

    private:
        std::vector<Chunk> chunks;
        std::size_t skipped = 0; // taken from the front
        std::size_t count = 0;
    };

    // Negative, zero or positive as a sorts before, as or after b; only an
    // entry compared with itself is equal.
    int compare(const Entry &a, const Entry &b) const;
    // Most entries differ in their first eight key bytes: that test stays
    // inline in the sorts and searches.
    bool less(const Entry &a, const Entry &b) const
    {
        return a.prefix != b.prefix ? a.prefix < b.prefix : compare(a, b) < 0;
    }
    // Negative when the entry's key sorts before every key that starts with
    // the bytes, zero when it starts with them, positive when after.
    int compareKeyStart(const Entry &e, const std::string &bytes) const;
    // The first sorted row whose entry is not below the bytes (`after`
    // false) or sorts past them (`after` true).
    qsizetype partitionRow(const std::string &bytes, bool after) const;
    // Entries of a run before the given one.
    std::size_t lowerBound(const Run &run, const Entry &e) const;
    // Starts the next due merge; false when none is due.
    bool startMerge(bool toOne);
    // Places in each run such that the row's entry is the least of the
    // entries there, and the places add up to the row.
    void seek(qsizetype row) const;
    // The run whose entry at the cursor is the least: the cursor's row's.
    std::size_t leastAtCursor() const;

    const ItemArena &arena;
    Collation collation;
    // Two items' whole texts, made for a comparison that their key starts
    // do not decide.
    mutable itemtext::Utf8Composer textA;
    mutable itemtext::Utf8Composer textB;
    std::vector<Entry> waiting;
    // Sorted copies of the first waiting items, chunk by chunk, in arrival
    // order of the chunks: chunk i holds waiting[i * kPresortChunk] on.
    std::vector<std::vector<Entry>> presorted;
    // Oldest first. While a merge runs, its output stands at `mergeAt` and
    // its two inputs right after it.
    std::vector<Run> runs;
    Spares spares;
    std::size_t mergeAt = kNoMerge;
    static constexpr std::size_t kNoMerge = std::numeric_limits<std::size_t>::max();
    qsizetype sorted = 0;

    // The last row found across the runs, valid until the runs change:
    // neighbouring rows, as a view paints them, are a step away.
    mutable std::vector<std::size_t> cursor;
    mutable qsizetype cursorRow = -1;
};

} // namespace database
