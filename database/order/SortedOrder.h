#pragma once

#include "ItemArena.h"
#include "OrderBudget.h"
#include "OrderEntry.h"
#include "RowSearch.h"
#include "RunMerger.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

// The alphabetical order of an arena's items, as the sorted list shows them:
// the collation's order of each item's whole text, letter case ignored, and
// among equal items the order of arrival (OrderEntry.h).
//
// Added items wait in arrival order until commit() sorts them in; rows past
// the sorted ones show the waiting items, so that a model can announce them as
// appended first and as moved to their places after. A commit sorts its items
// into a run of their own, which compact() merges with the others
// (RunMerger.h); a row is found across the runs (RowSearch.h). How a load
// uses all this: docs/load.md.

namespace database {

class SortedOrder
{
public:
    using Id = ItemArena::Id;
    using KeyStart = database::KeyStart;
    using Entry = OrderEntry;

    // The arena outlives the order and only grows. The collation is the
    // named locale's ("th_TH"), or the user's when none is named.
    explicit SortedOrder(const ItemArena &arena, const QString &locale = {}) : order(arena, locale)
    {}
    SortedOrder(const SortedOrder &) = delete;
    SortedOrder &operator=(const SortedOrder &) = delete;

    // Adds an item of the arena to the waiting ones; with its key start, and
    // perhaps its rest's first bytes, when the caller has worked them out
    // already, and, for the first kCommonStartItems items, its sampled key
    // (EntryOrder::sampleKey).
    void add(Id id, std::string sample = {})
    {
        KeyRests::Ahead rest;
        const KeyStart key = order.keyStart(id, restsAhead() ? &rest : nullptr);
        push(id, key, rest, std::move(sample));
    }
    void add(Id id, KeyStart key, const KeyRests::Ahead &rest = {}, std::string sample = {})
    {
        // Worked out with other common starts (none, before the order chose
        // them): again.
        if (key.starts != order.commonStarts().fingerprint)
            add(id, std::move(sample));
        else
            push(id, key, rest, std::move(sample));
    }
    // What a key start is worked out with (OrderEntry.h).
    const CommonStarts &commonStarts() const { return order.commonStarts(); }
    // Whether the first bytes of a new item's rest are worth working out with
    // its key start: once many items tie, most new ones will too.
    bool restsAhead() const { return order.tiesAreMany(); }
    // Sorts the waiting items in, or only the first of them so that `upTo`
    // items are sorted.
    void commit(qsizetype upTo = std::numeric_limits<qsizetype>::max());
    // Gives back the room the waiting items took, once none wait: after a
    // load's last lines, so that the last merges need no more memory.
    void releaseWaitingRoom();
    // Sorts the next chunk (load::kPresortChunk) of the waiting items that a
    // commit up to `upTo` will take, if a whole chunk of them waits: a commit
    // then has few items left to sort itself, however many wait. One chunk's
    // work at most.
    void presort(qsizetype upTo);
    // Does at most `moves` item moves of merging; true while merges are due
    // (see RunMerger.h). Rows stay as they are.
    bool compact(std::size_t moves, bool toOne = false) { return runs.compact(moves, toOne); }

    // Items in the order, waiting ones included.
    qsizetype size() const { return sorted + qsizetype(waiting.size()); }
    qsizetype waitingCount() const { return qsizetype(waiting.size()); }

    // The item at a row: sorted rows first, then the waiting ones.
    Id idAt(qsizetype row) const { return entryAt(row).id; }
    const Entry &entryAt(qsizetype row) const
    {
        return row >= sorted ? waiting[std::size_t(row - sorted)] : search.entryAt(row);
    }
    // The row of a sorted item; -1 for one not in the order.
    qsizetype rowOf(const Entry &entry) const { return search.rowOf(entry); }

    // What the order has done so far, for its tests and the benchmarks.
    struct Work
    {
        std::uint64_t presortedChunks = 0; // chunks sorted ahead that became runs
        std::uint64_t merges = 0;          // merges of two runs finished
        std::size_t runs = 0;              // runs now
        std::size_t restBytes = 0;         // bytes kept of keys' rests
    };
    Work work() const
    {
        return {presortedChunks, runs.mergesDone(), runs.all().size(), order.restBytes()};
    }

    // The sorted rows whose names begin with the text at the collation's
    // first level (case and accents ignored), as [first, last); they stand
    // together in the order. An empty range when none does.
    std::pair<qsizetype, qsizetype> rowsStartingWith(QStringView text) const;

private:
    void push(Id id, KeyStart key, const KeyRests::Ahead &rest, std::string &&sample)
    {
        waiting.push_back(EntryOrder::entryOf(key, id));
        order.offer(id, rest);
        if (size() <= qsizetype(load::kCommonStartItems))
            sampleFor(id, std::move(sample));
    }
    // Keeps the item's sampled key, worked out here unless given; chooses
    // the common starts from them once the first kCommonStartItems items are
    // in, and makes the entries again with them.
    void sampleFor(Id id, std::string &&sample);

    EntryOrder order;
    RunMerger runs{order};
    RowSearch search{order, runs};
    std::vector<Entry> waiting;
    // Sorted copies of the first waiting items, chunk by chunk, in arrival
    // order of the chunks: chunk i holds waiting[i * kPresortChunk] on.
    std::vector<std::vector<Entry>> presorted;
    // The first items' sampled keys, until the common starts are chosen.
    std::vector<EntryOrder::Sample> samples;
    std::uint64_t presortedChunks = 0;
    qsizetype sorted = 0;
};

} // namespace database
