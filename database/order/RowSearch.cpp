#include "RowSearch.h"
#include "OrderBudget.h"

#include <algorithm>
#include <cstdlib>

namespace database {

std::size_t RowSearch::lowerBound(const SortedRun &run, const OrderEntry &e) const
{
    return partitionPoint(run, run.size(), [&](const OrderEntry &x) { return order.less(x, e); });
}

std::size_t RowSearch::leastAtCursor() const
{
    const std::vector<SortedRun> &all = runs.all();
    std::size_t least = all.size();
    for (std::size_t j = 0; j < all.size(); ++j) {
        if (cursor[j] < all[j].size() &&
            (least == all.size() || order.less(all[j][cursor[j]], all[least][cursor[least]])))
            least = j;
    }
    return least;
}

void RowSearch::search(qsizetype row) const
{
    // The row's entry is one of some run's; search the runs together,
    // halving the widest range of places left at each round. The places of
    // the row's entry in each run stay within [lo, hi).
    const std::vector<SortedRun> &all = runs.all();
    const std::size_t count = all.size();
    std::vector<std::size_t> lo(count, 0);
    std::vector<std::size_t> hi(count);
    std::vector<std::size_t> at(count);
    for (std::size_t j = 0; j < count; ++j)
        hi[j] = all[j].size();
    for (;;) {
        std::size_t widest = 0;
        for (std::size_t j = 1; j < count; ++j) {
            if (hi[j] - lo[j] > hi[widest] - lo[widest])
                widest = j;
        }
        if (hi[widest] == lo[widest]) {
            cursor = lo;
            return;
        }
        const std::size_t mid = lo[widest] + (hi[widest] - lo[widest]) / 2;
        const OrderEntry &pivot = all[widest][mid];
        qsizetype below = 0;
        for (std::size_t j = 0; j < count; ++j) {
            at[j] = j == widest ? mid : lowerBound(all[j], pivot);
            below += qsizetype(at[j]);
        }
        if (below == row) {
            cursor = at;
            return;
        }
        for (std::size_t j = 0; j < count; ++j) {
            if (below < row)
                lo[j] = std::max(lo[j], at[j] + (j == widest ? 1 : 0));
            else
                hi[j] = std::min(hi[j], at[j]);
        }
    }
}

void RowSearch::step(qsizetype row) const
{
    const std::vector<SortedRun> &all = runs.all();
    for (; cursorRow < row; ++cursorRow)
        ++cursor[leastAtCursor()];
    for (; cursorRow > row; --cursorRow) {
        std::size_t greatest = all.size();
        for (std::size_t j = 0; j < all.size(); ++j) {
            if (cursor[j] > 0 &&
                (greatest == all.size() ||
                 order.less(all[greatest][cursor[greatest] - 1], all[j][cursor[j] - 1])))
                greatest = j;
        }
        --cursor[greatest];
    }
}

bool RowSearch::seek(qsizetype row) const
{
    const bool searched = cursorRow < 0 || cursorVersion != runs.version() ||
                          std::abs(row - cursorRow) > load::kStepMax;
    if (searched)
        search(row);
    else
        step(row);
    cursorRow = row;
    cursorVersion = runs.version();
    return searched;
}

const OrderEntry &RowSearch::entryAt(qsizetype row) const
{
    const std::vector<SortedRun> &all = runs.all();
    if (all.size() == 1)
        return all[0][std::size_t(row)];
    const bool searched = seek(row);
    const std::size_t j = leastAtCursor();
    // The entry found across the runs is at that row: checked where the row
    // was searched for, at a tenth of the search's cost.
    Q_ASSERT(!searched || rowOf(all[j][cursor[j]]) == row);
    return all[j][cursor[j]];
}

qsizetype RowSearch::rowOf(const OrderEntry &entry) const
{
    qsizetype row = 0;
    bool found = false;
    for (const SortedRun &run : runs.all()) {
        const std::size_t at = lowerBound(run, entry);
        found = found || (at < run.size() && run[at].id == entry.id);
        row += qsizetype(at);
    }
    return found ? row : -1;
}

qsizetype RowSearch::partitionRow(const std::string &bytes, bool after) const
{
    qsizetype row = 0;
    for (const SortedRun &run : runs.all()) {
        row += qsizetype(partitionPoint(run, run.size(), [&](const OrderEntry &e) {
            const int c = order.compareKeyStart(e, bytes);
            return after ? c <= 0 : c < 0;
        }));
    }
    return row;
}

} // namespace database
