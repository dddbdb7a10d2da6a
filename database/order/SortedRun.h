#pragma once

#include "OrderBudget.h"
#include "OrderEntry.h"

#include <cstddef>
#include <memory>
#include <vector>

// A run: entries in sorted order, kept in chunks of a fixed size so that a
// merge, which takes entries from the front of two runs and appends them to
// a third, hands each emptied chunk over to be filled again: the memory a
// merge frees it takes again at once, and the whole order never holds much
// more than 20 bytes an item.

namespace database {

// Chunks a merge emptied, for the runs to fill again: memory handed back to
// the system and taken again would be faulted in anew.
class SpareChunks;

class SortedRun
{
public:
    static constexpr std::size_t kChunk = load::kRunChunk;
    using Chunk = std::unique_ptr<OrderEntry[]>;

    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    const OrderEntry &operator[](std::size_t i) const
    {
        const std::size_t at = skipped + i;
        return chunks[at / kChunk][at % kChunk];
    }
    // The entries in place, for a change that keeps their order.
    template <typename Change> void changeEach(Change change)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = skipped + i;
            change(chunks[at / kChunk][at % kChunk]);
        }
    }
    const OrderEntry &front() const { return (*this)[0]; }
    const OrderEntry &back() const { return (*this)[count - 1]; }
    void push_back(const OrderEntry &e, SpareChunks &spares);
    void pop_front(SpareChunks &spares);

private:
    std::vector<Chunk> chunks;
    std::size_t skipped = 0; // taken from the front
    std::size_t count = 0;
};

class SpareChunks
{
public:
    SortedRun::Chunk take();
    void give(SortedRun::Chunk &chunk);

private:
    static constexpr std::size_t kMax = load::kSpareChunks;
    std::vector<SortedRun::Chunk> chunks;
};

// The first place in a sorted run (or any indexable range) whose entry is not
// `below`, where `below` holds for a first part of the entries only.
template <typename Range, typename Below>
std::size_t partitionPoint(const Range &run, std::size_t n, Below below)
{
    std::size_t first = 0;
    while (n > 0) {
        const std::size_t half = n / 2;
        if (below(run[first + half])) {
            first += half + 1;
            n -= half + 1;
        } else {
            n = half;
        }
    }
    return first;
}

} // namespace database
