#include "CelebrityLoader.h"

#include "CelebrityModel.h"
#include "FrameBudget.h"
#include "database/reading/ReadBudget.h"

namespace app {

bool CelebrityLoader::load(const QString &path, const ProgressPoint &atProgressPoint,
                           const Pause &atPause)
{
    finished = false;
    shown = model.itemCount();
    // Reading, parsing and the names' key starts go on on a second core;
    // storing, counting, sorting and showing stay here, so that every
    // progress point sees what a load on this thread alone would.
    bool readToEnd = false;
    {
        database::ParseAhead lines(path, {}, model.commonStarts(), model.itemCount() == 0);
        model.reserve(lines.fileSize() / database::load::kBytesPerLineEstimate, lines.fileSize());
        readToEnd = readAll(lines, atProgressPoint, atPause);
        if (readToEnd) {
            failed = lines.failure();
            shown = model.itemCount();
        }
        // The reader and its batches go before the last merges, which need
        // no more memory than the order has.
    }
    // Stopped, the list keeps what the last progress point counted.
    flushShown();
    model.releaseWaitingRoom();
    finished = readToEnd && mergeToOne(atPause);
    return finished;
}

bool CelebrityLoader::readAll(database::ParseAhead &lines, const ProgressPoint &atProgressPoint,
                              const Pause &atPause)
{
    database::ParseAhead::Line line;
    sinceHandOver.start();
    unsigned untilLook = budget::kLinesPerLook;
    for (;;) {
        const auto got = lines.next(line, budget::kWaitForLines);
        if (got == database::ParseAhead::Next::End)
            return true;
        if (got == database::ParseAhead::Next::Line) {
            if (!store(line, atProgressPoint))
                return false;
            if (--untilLook != 0)
                continue;
        }
        untilLook = budget::kLinesPerLook;
        lines.workOutRests(model.restsAhead());
        lines.useCommonStarts(model.commonStarts());
        if (!look(atPause))
            return false;
    }
}

bool CelebrityLoader::store(const database::ParseAhead::Line &line,
                            const ProgressPoint &atProgressPoint)
{
    if (line.isItem)
        model.append(line.name, line.tail, line.key, line.rest, line.sample);
    if (!isProgressCount(model.itemCount()))
        return true;
    shown = model.itemCount();
    const bool goOn = atProgressPoint(statusText());
    sinceHandOver.start();
    return goOn;
}

bool CelebrityLoader::look(const Pause &atPause)
{
    model.presort(shown);
    model.compact(budget::kMovesPerLook);
    if (model.waitingCount() >= budget::kMaxWaiting)
        flushShown();
    // Only the lines since the last progress point, a hundred at most, are
    // left unsorted by that flush.
    Q_ASSERT(model.waitingCount() < budget::kMaxWaiting);
    if (!atPause || sinceHandOver.nsecsElapsed() < budget::kFrameNs)
        return true;
    const bool goOn = atPause();
    sinceHandOver.start();
    return goOn;
}

bool CelebrityLoader::mergeToOne(const Pause &atPause)
{
    QElapsedTimer slice;
    slice.start();
    while (model.compact(budget::kMovesPerLook, true)) {
        if (slice.nsecsElapsed() < budget::kSliceNs)
            continue;
        if (atPause && !atPause())
            return false;
        slice.start();
    }
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

} // namespace app
