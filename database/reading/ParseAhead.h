#pragma once

#include "DbFile.h"
#include "LineParser.h"
#include "database/order/OrderEntry.h"
#include "database/text/ItemText.h"

#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Reads db.txt and parses its lines on a thread of its own, a few thousand
// lines ahead of the caller, working out each name's key start there too. The
// caller gets the lines in the file's order, one at a time, as if it read and
// parsed them itself: what it stores, counts and shows is its own business,
// and the other thread touches none of it. Why no user can tell the two
// threads from one: docs/load.md.
//
// The threads share nothing but batches of lines. Each batch is in exactly
// one place at any time: the empty queue, the reading thread (filling it),
// the full queue, or the caller (taking its lines); it moves between them
// only under the mutex, so whoever holds a batch outside the queues is alone
// with it.

namespace database {

class ParseAhead
{
public:
    // Opens the file at once, so that its size is known, and starts reading.
    // The key starts are those of the order of the named locale (empty: the
    // user's), with the order's common starts. For an order that has no
    // items yet (`sample`), the first kCommonStartItems items come with their
    // sampled keys, and the reader chooses the common starts from them as the
    // order will, to key the lines after with them.
    explicit ParseAhead(const QString &path, const QString &locale = {},
                        const CommonStarts &starts = {}, bool sample = false);
    // Stops the reading wherever it is, in the middle of a long line too,
    // and waits for the reading thread to end: a few milliseconds at most.
    ~ParseAhead();
    ParseAhead(const ParseAhead &) = delete;
    ParseAhead &operator=(const ParseAhead &) = delete;

    // The file's size when it was opened; 0 when it could not be.
    qint64 fileSize() const { return size; }

    // A line read: a data line's parts and key start (with its rest's first
    // bytes, when asked for), valid until the next call; or a line that adds
    // nothing.
    struct Line
    {
        bool isItem = false;
        QByteArrayView name;
        QByteArrayView tail;
        KeyStart key{};
        KeyRests::Ahead rest{};
        const std::string *sample = nullptr; // EntryOrder::sampleKey
    };
    enum class Next { Line, End, NotYet };
    // The next line; End after the last; NotYet when none arrived within
    // `wait` (a slow disk, a huge line), so that the caller can do other work.
    Next next(Line &line, std::chrono::milliseconds wait);

    // Why the file could not be read to its end, once next() gave End.
    ReadFailure failure() const { return failed; }

    // Whether to work out the first bytes of each key's rest too, from the
    // next line read on (SortedOrder::restsAhead). Lines read before come
    // without them: they are only worth the time.
    void workOutRests(bool yes) { restsAhead.store(yes, std::memory_order_relaxed); }
    // The order's common starts (SortedOrder::commonStarts), from the next
    // batch on. The lines read before tell whether they were keyed with
    // them (KeyStart::starts): the order works their keys out again.
    void useCommonStarts(const CommonStarts &starts);

private:
    // A line in a batch: where its name and tail lie in the batch's text, its
    // key start, and whether it is an item at all.
    struct BatchLine
    {
        std::size_t text;
        std::size_t nameBytes;
        std::size_t tailBytes;
        KeyStart key;
        KeyRests::Ahead rest;
        bool isItem;
        std::size_t sample; // in the batch's samples, or kNoSample
    };
    static constexpr std::size_t kNoSample = ~std::size_t(0);
    // Lines handed over together, so that the threads meet once a batch.
    struct Batch
    {
        std::vector<char> text; // names and tails, one after the other
        std::vector<BatchLine> lines;
        std::vector<std::string> samples;
        bool last = false;
        ReadFailure failure = ReadFailure::None;
    };

    // The reading thread's.
    void run();
    // Adds a line to the batch; false when told to stop meanwhile.
    bool parseInto(Batch &batch, QByteArrayView line, Encoding encoding);
    // The next batch to fill; null once told to stop.
    Batch *emptyBatch();
    void handOver(Batch *batch);
    // The caller's: gives its batch back and waits for the next full one.
    bool takeFull(std::chrono::milliseconds wait);
    // Under the mutex: each batch is in exactly one place.
    void checkEachBatchInOnePlace() const;

    // Made by the constructor before the reading thread starts, unchanged
    // after: either thread may read them.
    qint64 size = 0;
    std::vector<std::unique_ptr<Batch>> batches; // every batch, wherever it is

    // The reading thread's alone once it has started.
    std::unique_ptr<DbFile> file;
    Collation collation;
    LineParser parser;
    itemtext::Utf8Composer composer;
    CommonStarts starts;
    // The first items' sampled keys, while the reader samples them.
    bool sampling = false;
    std::vector<std::string> samples;

    // Shared, under the mutex: the queues that batches wait in.
    std::mutex mutex;
    std::condition_variable filled;
    std::condition_variable emptied;
    std::deque<Batch *> full;
    std::deque<Batch *> empty;
    // Which thread holds a batch outside the queues, for the check that
    // every batch is in one place only.
    bool readerHolds = false;
    bool callerHolds = false;
    // The common starts the caller asked for, taken by the reader with its
    // next batch.
    CommonStarts startsAsked;
    // Set once, under the mutex (so that a waiting thread cannot miss it);
    // read without the lock too, by the reading thread between lines and
    // inside them.
    std::atomic<bool> stopping{false};
    // Set by the caller, read by the reading thread at each line, without
    // the lock: which line first sees a change decides nothing but time.
    std::atomic<bool> restsAhead{false};

    // The caller's alone.
    Batch *current = nullptr;
    std::size_t at = 0;
    ReadFailure failed = ReadFailure::None;
    bool startsGiven = false;

    std::thread reader; // last: it starts once everything above is made
};

} // namespace database
