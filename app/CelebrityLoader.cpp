#include "CelebrityLoader.h"

#include "CelebrityModel.h"
#include "database/ParseAhead.h"

#include <QElapsedTimer>

namespace {
// A frame: the longest the window goes without handling its input.
constexpr qint64 kPauseNs = 16'000'000;
// Lines between two looks at the clock.
constexpr unsigned kLinesPerLook = 256;
// Merge moves done each look: more than the items ever need, so that the
// sorted runs never pile up behind the lines read.
constexpr std::size_t kMovesPerLook = kLinesPerLook * 32;
// Items left unsorted at most, when the window is not painting (hidden or
// minimised) and so never asks for them: sorting them all at the end would
// freeze it.
constexpr qsizetype kMaxWaiting = 1 << 17;
// The longest wait for the next lines before looking whether the window is due.
constexpr std::chrono::milliseconds kWaitForLines{4};
// Once every line is read, the merging goes on in slices of this long, with
// the window handling its input between them: a slice is timed rather than
// counted in moves, since a move takes nanoseconds where names differ early
// and far longer where thousands of names share their first characters.
constexpr qint64 kSliceNs = 6'000'000;
} // namespace

bool CelebrityLoader::load(const QString &path, const ProgressPoint &atProgressPoint,
                           const Pause &atPause)
{
    finished = false;
    shown = model.itemCount();
    // Reading, parsing and the names' key starts go on on a second core;
    // storing, counting, sorting and showing stay here, so that every
    // progress point sees what a load on this thread alone would.
    database::ParseAhead lines(path);
    // Lines of the sample average 36 bytes; room for more than that costs
    // address space only until it is used.
    model.reserve(lines.fileSize() / 24, lines.fileSize());

    database::ParseAhead::Line line;
    QElapsedTimer sinceHandOver;
    sinceHandOver.start();
    unsigned untilLook = kLinesPerLook;
    for (;;) {
        const auto got = lines.next(line, kWaitForLines);
        if (got == database::ParseAhead::Next::End)
            break;
        if (got == database::ParseAhead::Next::Line) {
            if (line.isItem)
                model.append(line.name, line.tail, line.key);
            if (isProgressCount(model.itemCount())) {
                shown = model.itemCount();
                if (!atProgressPoint(statusText())) {
                    // Stopped: the list keeps what the last point counted.
                    flushShown();
                    return false;
                }
                sinceHandOver.start();
            }
            if (--untilLook != 0)
                continue;
        }
        untilLook = kLinesPerLook;
        model.presort(shown);
        model.compact(kMovesPerLook);
        if (model.waitingCount() >= kMaxWaiting)
            flushShown();
        if (atPause && sinceHandOver.nsecsElapsed() >= kPauseNs) {
            if (!atPause()) {
                flushShown();
                return false;
            }
            sinceHandOver.start();
        }
    }
    failed = lines.failure();
    shown = model.itemCount();
    flushShown();
    // The whole list in one sorted run, so that rows are found at once from
    // now on; the window goes on handling its input meanwhile.
    QElapsedTimer slice;
    slice.start();
    while (model.compact(kMovesPerLook, true)) {
        if (slice.nsecsElapsed() < kSliceNs)
            continue;
        if (atPause && !atPause())
            return false;
        slice.start();
    }
    finished = true;
    return true;
}

void CelebrityLoader::flushShown()
{
    model.flush(shown);
}

QString CelebrityLoader::statusText() const
{
    const QString state = !finished                               ? QStringLiteral("LOADING")
                          : failed == database::ReadFailure::None ? QStringLiteral("COMPLETE")
                                                                  : database::failureName(failed);
    return QString::number(model.itemCount()) + QStringLiteral(" Names Loaded. (") + state + u')';
}

bool CelebrityLoader::isProgressCount(qint64 count)
{
    for (; count >= 100; count /= 10) {
        if (count % 100 == 0)
            return true;
    }
    return false;
}
