#pragma once

#include "DbFile.h"
#include "SortedOrder.h"

#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Reads db.txt and parses its lines on a thread of its own, a few thousand
// lines ahead of the caller, working out each name's key start there too. The
// caller gets the lines in the file's order, one at a time, as if it read and
// parsed them itself: what it stores, counts and shows is its own business,
// and the other thread touches none of it.

namespace database {

class ParseAhead
{
public:
    // Opens the file at once, so that its size is known, and starts reading.
    // The key starts are those of the order of the named locale (empty: the
    // user's).
    explicit ParseAhead(const QString &path, const QString &locale = {});
    // Stops the reading, wherever it is.
    ~ParseAhead();
    ParseAhead(const ParseAhead &) = delete;
    ParseAhead &operator=(const ParseAhead &) = delete;

    // The file's size when it was opened; 0 when it could not be.
    qint64 fileSize() const { return size; }

    // A line read: a data line's parts and key start, valid until the next
    // call; or a line that adds nothing.
    struct Line
    {
        bool isItem = false;
        QByteArrayView name;
        QByteArrayView tail;
        SortedOrder::KeyStart key{};
    };
    enum class Next { Line, End, NotYet };
    // The next line; End after the last; NotYet when none arrived within
    // `wait` (a slow disk, a huge line), so that the caller can do other work.
    Next next(Line &line, std::chrono::milliseconds wait);

    // Why the file could not be read to its end, once next() gave End.
    ReadFailure failure() const { return failed; }

private:
    struct Record
    {
        std::size_t text;
        std::size_t nameBytes;
        std::size_t tailBytes;
        SortedOrder::KeyStart key;
        bool isItem;
    };
    // Lines handed over together, so that the threads meet once a batch.
    struct Batch
    {
        std::vector<char> text; // names and tails, one after the other
        std::vector<Record> lines;
        bool last = false;
        ReadFailure failure = ReadFailure::None;
    };

    void run();
    // The reading thread's next batch to fill; null once stopped.
    Batch *emptyBatch();
    void handOver(Batch *batch);

    std::unique_ptr<DbFile> file;
    qint64 size = 0;
    Collation collation; // the reading thread's own
    std::vector<std::unique_ptr<Batch>> batches;
    std::mutex mutex;
    std::condition_variable filled;
    std::condition_variable emptied;
    std::deque<Batch *> full;
    std::deque<Batch *> empty;
    bool stopping = false;

    Batch *current = nullptr; // the caller's
    std::size_t at = 0;
    ReadFailure failed = ReadFailure::None;
    std::thread reader;
};

} // namespace database
