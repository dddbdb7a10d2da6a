#pragma once

#include "database/reading/DbFile.h"
#include "database/reading/ParseAhead.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>

namespace app {

class CelebrityModel;

// Reads db.txt into the celebrity list, one line at a time, on the caller's
// thread; the file is read and parsed a little ahead on a second one, which
// changes nothing the window can see. The window is handed control at each
// progress point, where the status text is current; it repaints (at most
// once a frame) and handles input there, and says whether the load goes on.
// The items counted at the last progress point are sorted in and announced
// only when the window is about to show them (flushShown), not at every
// point: a big file passes hundreds of thousands of points, and the window
// shows a few dozen frames. The loader itself touches no widget. The whole
// design, its budgets and why the second thread cannot be noticed: docs/load.md.
class CelebrityLoader
{
public:
    // Called at each progress point with the status text to show; false
    // stops the load there.
    using ProgressPoint = std::function<bool(const QString &status)>;
    // Called when about a frame's worth of work has passed without a progress
    // point (a long run of skipped lines), so that the window still handles
    // its input; the list and the status stay as at the last progress point.
    // False stops the load there.
    using Pause = std::function<bool()>;

    explicit CelebrityLoader(CelebrityModel &model) : model(model) {}

    // Loads every data line of the file. True when the load ran to its end
    // (a file that cannot be read ends it at once, a failed read where it
    // fails), false when a progress point stopped it.
    bool load(const QString &path, const ProgressPoint &atProgressPoint, const Pause &atPause = {});

    // Why the load could not read the whole file; None for a complete load.
    database::ReadFailure failure() const { return failed; }

    // Sorts in and announces the items counted at the last progress point
    // (all of them once the load has ended), for the window to show.
    void flushShown();

    // The status text: the count so far, then whether the load is going on,
    // complete, or why it ended early ("(NOT FOUND)", "(NOT A FILE)",
    // "(CANNOT READ)").
    QString statusText() const;

    // Whether a progress point follows a line: the count's decimal text
    // holds two zeros side by side (100, 1000 to 1009, 10000 to 10099 ...).
    // Lines that add nothing are counted as progress points all the same.
    static bool isProgressCount(qint64 count);

private:
    // Takes every line, handing control over at progress points and pauses;
    // true when the file was read to its end, false when stopped.
    bool readAll(database::ParseAhead &lines, const ProgressPoint &atProgressPoint,
                 const Pause &atPause);
    // Stores a line, and at a progress point hands control over; false when
    // that stops the load.
    bool store(const database::ParseAhead::Line &line, const ProgressPoint &atProgressPoint);
    // At each look at the clock: the order's work in the background, and a
    // pause once a frame has passed without a hand-over; false when the
    // pause stops the load.
    bool look(const Pause &atPause);
    // Once every line is read, the whole list into one sorted run, so that
    // rows are found at once from now on, in slices between pauses.
    bool mergeToOne(const Pause &atPause);

    CelebrityModel &model;
    QElapsedTimer sinceHandOver;
    qsizetype shown = 0; // items counted at the last progress point
    bool finished = false;
    database::ReadFailure failed = database::ReadFailure::None;
};

} // namespace app
