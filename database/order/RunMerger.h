#pragma once

#include "OrderBudget.h"
#include "OrderEntry.h"
#include "SortedRun.h"

#include <QtGlobal>

#include <cstdint>
#include <limits>
#include <vector>

// The sorted runs of an order and when to merge them. Each commit of the
// order adds a run of its own; merging the runs in the background, smaller
// ones first, moves each item a few times in streaming passes instead of
// sorting it into one ever larger array at a random place: a load stays
// linear in time and touches memory in order.
//
// The promise: once compact() finds no merge due, each run holds more than
// kRunRatio (2) times the items of the next newer one. So with N items there
// are at most log2(N) + 1 runs (21 for a million), plus, until the next
// compaction, one for each commit's presorted chunk and one more, and one
// for a merge's output while it runs. An item's run grows by at least half
// each time it is moved, so an item is moved at most load::movesPerItem()
// times in all.
//
// While a merge runs, its output stands at `mergeAt` and its two inputs right
// after it; the three still hold every item once, each run sorted, so the
// rows (the runs merged) stay as they were.

namespace database {

class RunMerger
{
public:
    explicit RunMerger(const EntryOrder &order) : order(order) {}

    // Adds sorted entries as the newest run.
    template <typename It> void append(It first, It last)
    {
        if (first == last)
            return;
        SortedRun run;
        for (It e = first; e != last; ++e) {
            Q_ASSERT(run.empty() || order.less(run.back(), *e));
            run.push_back(*e, spares);
        }
        items += run.size();
        runs.push_back(std::move(run));
        ++changes;
    }

    // Changes every entry in place, keeping the order (a place found before
    // is found again).
    template <typename Change> void changeEach(Change change)
    {
        for (SortedRun &run : runs)
            run.changeEach(change);
        ++changes;
    }

    // Does at most `moves` item moves of merging; true while merges are due.
    // With `toOne`, merges are due until a single run is left.
    bool compact(std::size_t moves, bool toOne = false);

    // Oldest first.
    const std::vector<SortedRun> &all() const { return runs; }
    // Counts the changes of the runs: a place found in them stays valid as
    // long as this stays the same.
    std::uint64_t version() const { return changes; }
    // Merges finished so far.
    std::uint64_t mergesDone() const { return merges; }

private:
    // Starts the next due merge; false when none is due.
    bool startMerge(bool toOne);
    // Moves entries into the output run until `moves` are done or the
    // merge is complete.
    std::size_t merge(std::size_t moves);
    // The most runs `items` items make when each run holds more than twice
    // the next newer: floor(log2(items)) + 1.
    static std::size_t maxRuns(std::size_t items);

    const EntryOrder &order;
    std::vector<SortedRun> runs;
    SpareChunks spares;
    static constexpr std::size_t kNoMerge = std::numeric_limits<std::size_t>::max();
    std::size_t mergeAt = kNoMerge;
    std::uint64_t changes = 0;
    std::uint64_t merges = 0;
    std::size_t items = 0;
};

} // namespace database
