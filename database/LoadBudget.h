#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstddef>

// The load's budgets of time and memory, one place for all of them: the
// window's thread (app/CelebrityLoader, app/FramePacer, app/CelebrityList),
// the reading thread (ParseAhead) and the order (SortedOrder). Each value
// says why it is what it is; one that follows from another is written so.
// docs/load.md tells how they work together.

namespace database::load {

// A frame at 60 Hz: the longest the window goes without handling its input
// or repainting, and the fastest it repaints or tells a screen reader of the
// list's changes while a load runs.
inline constexpr qint64 kFrameMs = 16;
inline constexpr qint64 kFrameNs = kFrameMs * 1'000'000;

// Lines stored between two looks at the clock: a look costs a system call,
// a line a fraction of a microsecond, so 256 lines keep the looks cheap and
// still come back well within a frame (even where every line needs the
// collation's full comparison, 256 lines take well under a millisecond).
inline constexpr unsigned kLinesPerLook = 256;

// The newest waiting items are sorted ahead a chunk at a time: small enough
// to sort within a few milliseconds even where every comparison needs the
// texts, big enough that the merges start from runs of that size.
inline constexpr std::size_t kPresortChunk = 4096;

// A run is merged into the next older one while the older holds at most this
// many times its items; so once merged, each run holds more than this many
// times the next newer one. An item's run then grows by at least half each
// time the item is moved, and the runs stay few (see SortedOrder.h).
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
// Merge moves done at each look, per line stored since the last: more than
// an item ever needs, so that the sorted runs never pile up behind the lines
// read.
inline constexpr std::size_t kMovesPerLine = 32;
static_assert(kMovesPerLine > movesPerItem(), "the merging would fall behind the reading");
inline constexpr std::size_t kMovesPerLook = kLinesPerLook * kMovesPerLine;

// Once every line is read, the last merges go on in slices of this long,
// with the window handling its input between them: less than half a frame,
// so that a slice, the window's painting and its input fit in one. A slice
// is timed rather than counted in moves: a move takes nanoseconds where names
// differ early and far longer where thousands share their first characters.
inline constexpr qint64 kSliceNs = kFrameNs * 3 / 8;

// The most lines left unsorted while the window is hidden or minimised and
// so never asks for them: sorting them all at once at the end would freeze
// it: 2^17 items sort in a few tens of milliseconds where names differ early.
inline constexpr qsizetype kMaxWaiting = qsizetype(1) << 17;

// The longest wait for the reading thread's next lines before looking
// whether the window is due: a quarter of a frame.
inline constexpr std::chrono::milliseconds kWaitForLines{kFrameMs / 4};

// Bytes per line for the room reserved ahead of a load: the sample's lines
// average 36 bytes, and room for more lines than that costs address space
// only until it is used.
inline constexpr qint64 kBytesPerLineEstimate = 24;

// The reading thread's batches: the lines a batch holds, the first (smaller,
// so that the first rows show at once), the text after which a batch goes
// early (long lines), and the batches in flight (enough for the threads not
// to wait on each other, few enough to keep the memory small).
inline constexpr std::size_t kBatchLines = 4096;
inline constexpr std::size_t kFirstBatchLines = 128;
inline constexpr std::size_t kBatchText = std::size_t(1) << 20;
inline constexpr int kBatches = 4;

// Bytes the reading thread reads between two looks at whether it is to stop,
// inside a line too: well under a millisecond of reading, so that closing
// the window in the middle of a huge line does not wait for its end.
inline constexpr qint64 kReadSlice = qint64(1) << 16;

} // namespace database::load
