#pragma once

#include <QtGlobal>

#include <cstddef>

// The reading thread's budgets of time and memory (docs/load.md tells how
// they work with the order's, database/order/OrderBudget.h, and the window's,
// app/FrameBudget.h). Each value says why it is what it is; one that follows
// from another is written so.

namespace database::load {

// The reading thread's batches: the lines a batch holds, the first one's
// (fewer, so that the first rows show at once; each next batch holds twice
// as many as the one before, up to the most), the text after which a batch
// goes early (long lines), and the batches in flight (enough for the threads
// not to wait on each other, few enough to keep the memory small).
inline constexpr std::size_t kBatchLines = 4096;
inline constexpr std::size_t kFirstBatchLines = 128;
inline constexpr std::size_t kBatchText = std::size_t(1) << 20;
inline constexpr int kBatches = 4;
// A batch that held a huge line gives back the room past this many times
// its usual text when it is handed back.
inline constexpr std::size_t kBatchTextKept = 4 * kBatchText;

// Bytes the reading thread reads between two looks at whether it is to stop,
// inside a line too: well under a millisecond of reading, so that closing
// the window in the middle of a huge line does not wait for its end.
inline constexpr qint64 kReadSlice = qint64(1) << 16;

// A line longer than this is a long one: the reader gives it room for the
// rest of the file at once instead of growing it by doubling, which copies
// it again and again, each copy too long for a stop to cut short.
inline constexpr qsizetype kLongLine = qsizetype(1) << 20;

// Bytes per line for the room reserved ahead of a load: fewer than the
// sample's 30 (data/db.txt), so that a file of short lines finds room too;
// room for lines that never come costs address space only.
inline constexpr qint64 kBytesPerLineEstimate = 24;

} // namespace database::load
