#pragma once

#include "database/order/OrderBudget.h"

#include <QtGlobal>

#include <chrono>
#include <cstddef>

// The window thread's budgets during a load (docs/load.md tells how they work
// with the reader's, database/reading/ReadBudget.h, and the order's,
// database/order/OrderBudget.h). Each value says why it is what it is; one
// that follows from another is written so.

namespace app::budget {

// A frame at 60 Hz: the longest the window goes without handling its input
// or repainting, and the fastest it repaints or tells a screen reader of the
// list's changes while a load runs.
inline constexpr qint64 kFrameMs = 16;
inline constexpr qint64 kFrameNs = kFrameMs * 1'000'000;

// Lines stored between two looks at the clock: a look costs a system call,
// a line a fraction of a microsecond, so 256 lines keep the looks cheap and
// still come back well within a frame (even where every line needs a key's
// rest, 256 lines take well under a millisecond).
inline constexpr unsigned kLinesPerLook = 256;
// The merge moves done at each look, for the lines stored since the last.
inline constexpr std::size_t kMovesPerLook = kLinesPerLook * database::load::kMovesPerLine;

// Once every line is read, the last merges go on in slices of this long,
// with the window handling its input between them: less than half a frame,
// so that a slice, the window's painting and its input fit in one. A slice
// is timed rather than counted in moves: a move takes nanoseconds where names
// differ early and longer where thousands share their first characters.
inline constexpr qint64 kSliceNs = kFrameNs * 3 / 8;

// The most lines left unsorted while the window is hidden or minimised and
// so never asks for them: sorting them all at once at the end would freeze
// it: 2^17 items sort in a few tens of milliseconds where names differ early.
inline constexpr qsizetype kMaxWaiting = qsizetype(1) << 17;

// The longest wait for the reading thread's next lines before looking
// whether the window is due: a quarter of a frame.
inline constexpr std::chrono::milliseconds kWaitForLines{kFrameMs / 4};

} // namespace app::budget
