#pragma once

#include "OrderEntry.h"
#include "RunMerger.h"

#include <QtGlobal>

#include <cstdint>
#include <string>
#include <vector>

// Finding rows in sorted runs that are not merged yet: the rows are the
// runs' entries merged, so the entry at a row is the least of the entries at
// some places in each run that add up to the row.
//
// The cost, with R runs (see RunMerger.h for their bound) and N items: a row
// far from the last one found is searched for in all runs together, about
// R * log2(N) rounds of R - 1 binary searches, so R^2 * log2(N)^2 comparisons
// at most (about 200,000 for a million items in 21 runs, a millisecond or
// two); a row within load::kStepMax of the last one found, as a view paints its
// rows one after the other, costs R comparisons a row of the way. Once the
// runs are merged into one, a row is an index.

namespace database {

class RowSearch
{
public:
    RowSearch(const EntryOrder &order, const RunMerger &runs) : order(order), runs(runs) {}

    // The entry at a row of the runs merged.
    const OrderEntry &entryAt(qsizetype row) const;
    // The row of an entry in the runs; -1 for one not in them.
    qsizetype rowOf(const OrderEntry &entry) const;
    // The first row whose key does not sort before the bytes (`after`
    // false), or that sorts after every key starting with them (`after`
    // true); the bytes are an EntryOrder::primaryPrefix().
    qsizetype partitionRow(const std::string &bytes, bool after) const;

private:
    std::size_t lowerBound(const SortedRun &run, const OrderEntry &e) const;
    // Places in each run such that the row's entry is the least of the
    // entries there, and the places add up to the row; true when the row was
    // searched for rather than stepped to.
    bool seek(qsizetype row) const;
    void search(qsizetype row) const;
    void step(qsizetype row) const;
    // The run whose entry at the cursor is the least: the cursor's row's.
    std::size_t leastAtCursor() const;

    const EntryOrder &order;
    const RunMerger &runs;
    // The last row found across the runs, valid while the runs' version
    // stays the same: neighbouring rows, as a view paints them, are a step
    // away.
    mutable std::vector<std::size_t> cursor;
    mutable qsizetype cursorRow = -1;
    mutable std::uint64_t cursorVersion = 0;
};

} // namespace database
