#pragma once

#include <QtGlobal>

#include <cstddef>

// The order's budgets of time and memory (docs/load.md tells how they work
// with the reader's, database/reading/ReadBudget.h, and the window's,
// app/FrameBudget.h). Each value says why it is what it is; one that follows
// from another is written so.

namespace database::load {

// The newest waiting items are sorted ahead a chunk at a time: small enough
// to sort within a few milliseconds even where every comparison needs the
// keys' rests, big enough that the merges start from runs of that size.
inline constexpr std::size_t kPresortChunk = 4096;

// A run keeps its entries in chunks of this many, so that a merge hands each
// chunk it empties to the run it fills: as many as a presorted chunk, which
// so becomes a run of whole chunks.
inline constexpr std::size_t kRunChunk = kPresortChunk;
// Chunks a merge emptied kept for the next to fill: a merge empties them as
// fast as it fills them, so two do.
inline constexpr std::size_t kSpareChunks = 2;

// A run is merged into the next older one while the older holds at most this
// many times its items; so once merged, each run holds more than this many
// times the next newer one. An item's run then grows by at least half each
// time the item is moved, and the runs stay few (RunMerger.h).
inline constexpr std::size_t kRunRatio = 2;

// The moves an item needs at most: its run starts as a presorted chunk and
// grows by the factor above with each move, up to 2^28 items (whose order
// alone takes 5 GiB, more than a desktop gives a list).
constexpr unsigned movesPerItem(double from = double(kPresortChunk), double to = double(1 << 28))
{
    unsigned moves = 0;
    for (double size = from; size < to; size *= 1.0 + 1.0 / double(kRunRatio))
        ++moves;
    return moves;
}
// Merge moves done for every line stored: more than an item ever needs, so
// that the sorted runs never pile up behind the lines read.
inline constexpr std::size_t kMovesPerLine = 32;
static_assert(kMovesPerLine > movesPerItem(), "the merging would fall behind the reading");

// Rows within this many of the last one found are reached by stepping from
// it, one comparison a run a row: about as many comparisons as one search
// across the runs takes (RowSearch.h), and more rows than a list shows.
inline constexpr qsizetype kStepMax = 256;

// A long tail is keyed by its start alone: the first part asked for, and the
// factor each further part grows by, until the key's first level runs past
// the bytes kept (OrderEntry.cpp).
inline constexpr qsizetype kKeyStartPart = 1024;
inline constexpr qsizetype kKeyStartPartGrowth = 16;

// The common starts (OrderEntry.h) are chosen from the keys of the first
// items of an order, this many: enough that the groups of names alike show
// (a few hundred family names, a few of each), few enough that working
// their keys out again holds the window up for a few milliseconds only.
inline constexpr std::size_t kCommonStartItems = 2048;
// A common start is at most this long: forty characters and more of a name
// (two bytes a character in the Windows keys), and still cheap to work out
// on the reader's thread.
inline constexpr std::size_t kCommonStartMax = 128;

} // namespace database::load
