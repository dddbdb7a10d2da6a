#include "ParseAhead.h"

#include "LineParser.h"
#include "ReadBudget.h"
#include "database/order/OrderBudget.h"

#include <algorithm>

namespace database {

ParseAhead::ParseAhead(const QString &path, const QString &locale, const CommonStarts &given,
                       bool sample)
    : file(std::make_unique<DbFile>(path)), collation(locale), starts(given),
      sampling(sample && given.empty()), startsAsked(given), startsGiven(!given.empty())
{
    size = file->size();
    file->stopWhen(stopping);
    // The collation tables load here, not halfway through the first batch.
    collation.prepare();
    for (int i = 0; i < load::kBatches; ++i) {
        batches.push_back(std::make_unique<Batch>());
        batches.back()->lines.reserve(load::kBatchLines);
        empty.push_back(batches.back().get());
    }
    reader = std::thread([this] { run(); });
}

ParseAhead::~ParseAhead()
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    emptied.notify_all();
    reader.join();
}

void ParseAhead::checkEachBatchInOnePlace() const
{
#ifndef QT_NO_DEBUG
    // Four batches: counting them costs next to nothing beside a batch's
    // thousands of lines.
    Q_ASSERT(empty.size() + full.size() + std::size_t(readerHolds) + std::size_t(callerHolds) ==
             batches.size());
    for (const auto &batch : batches) {
        Q_ASSERT(std::count(empty.begin(), empty.end(), batch.get()) +
                     std::count(full.begin(), full.end(), batch.get()) <=
                 1);
    }
#endif
}

ParseAhead::Batch *ParseAhead::emptyBatch()
{
    std::unique_lock<std::mutex> lock(mutex);
    emptied.wait(lock, [this] { return stopping || !empty.empty(); });
    if (stopping)
        return nullptr;
    Batch *batch = empty.front();
    empty.pop_front();
    readerHolds = true;
    if (starts.empty() && !startsAsked.empty())
        starts = startsAsked;
    checkEachBatchInOnePlace();
    return batch;
}

void ParseAhead::handOver(Batch *batch)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        full.push_back(batch);
        readerHolds = false;
        checkEachBatchInOnePlace();
    }
    filled.notify_one();
}

bool ParseAhead::parseInto(Batch &batch, QByteArrayView line, Encoding encoding)
{
    BatchLine r{batch.text.size(), 0, 0, {}, {}, false, kNoSample};
    if (const auto parts = parser.parse(line, encoding)) {
        r.isItem = true;
        r.nameBytes = std::size_t(parts->name.size());
        r.tailBytes = std::size_t(parts->tail.size());
        // A huge line is copied a slice at a time, so that a stop does not
        // wait for the whole of it.
        const std::size_t needed = batch.text.size() + r.nameBytes + r.tailBytes;
        if (needed > batch.text.capacity())
            batch.text.reserve(std::max(needed, 2 * batch.text.capacity()));
        batch.text.insert(batch.text.end(), parts->name.begin(), parts->name.end());
        for (QByteArrayView rest = parts->tail; !rest.isEmpty();) {
            if (stopping.load(std::memory_order_relaxed))
                return false;
            const QByteArrayView slice =
                rest.first(std::min<qsizetype>(rest.size(), load::kReadSlice));
            batch.text.insert(batch.text.end(), slice.begin(), slice.end());
            rest = rest.sliced(slice.size());
        }
        KeyRests::Ahead *rest = restsAhead.load(std::memory_order_relaxed) ? &r.rest : nullptr;
        if (!sampling) {
            r.key =
                EntryOrder::keyStart(collation, composer, parts->name, parts->tail, starts, rest);
        } else {
            // The sampled key goes far enough for the key start too.
            r.sample = batch.samples.size();
            batch.samples.push_back(
                EntryOrder::sampleKey(collation, composer, parts->name, parts->tail));
            r.key = EntryOrder::keyStartOfSample(batch.samples.back(), starts, rest);
            samples.push_back(batch.samples.back());
            if (samples.size() == load::kCommonStartItems) {
                // As the order will choose them from the same keys.
                starts = CommonStarts::chooseFromSamples(samples);
                sampling = false;
                std::vector<std::string>().swap(samples);
            }
        }
    }
    batch.lines.push_back(r);
    return true;
}

void ParseAhead::run()
{
    QByteArrayView line;
    Encoding encoding;
    std::size_t batchLines = load::kFirstBatchLines;
    Batch *batch = emptyBatch();
    // A stop ends readLine() too, without the line it was reading.
    while (batch && file->readLine(line, encoding) && !stopping.load(std::memory_order_relaxed)) {
        if (!parseInto(*batch, line, encoding))
            return;
        if (batch->lines.size() >= batchLines || batch->text.size() >= load::kBatchText) {
            // Small batches first, so that the first lines show at once.
            batchLines = std::min(load::kBatchLines, batchLines * 2);
            handOver(batch);
            batch = emptyBatch();
        }
    }
    if (!batch || stopping)
        return;
    batch->last = true;
    batch->failure = file->failure();
    handOver(batch);
}

void ParseAhead::useCommonStarts(const CommonStarts &chosen)
{
    // An order chooses its starts once: none until then, the same after.
    if (startsGiven || chosen.empty())
        return;
    startsGiven = true;
    const std::lock_guard<std::mutex> lock(mutex);
    startsAsked = chosen;
}

bool ParseAhead::takeFull(std::chrono::milliseconds wait)
{
    std::unique_lock<std::mutex> lock(mutex);
    if (current) {
        current->lines.clear();
        current->text.clear();
        current->samples.clear();
        // A batch that held a huge line gives its memory back.
        if (current->text.capacity() > load::kBatchTextKept)
            current->text.shrink_to_fit();
        empty.push_back(current);
        current = nullptr;
        callerHolds = false;
        checkEachBatchInOnePlace();
        emptied.notify_one();
    }
    if (!filled.wait_for(lock, wait, [this] { return !full.empty(); }))
        return false;
    current = full.front();
    full.pop_front();
    callerHolds = true;
    checkEachBatchInOnePlace();
    at = 0;
    return true;
}

ParseAhead::Next ParseAhead::next(Line &line, std::chrono::milliseconds wait)
{
    while (!current || at == current->lines.size()) {
        if (current && current->last) {
            failed = current->failure;
            return Next::End;
        }
        if (!takeFull(wait))
            return Next::NotYet;
    }
    const BatchLine &r = current->lines[at++];
    line.isItem = r.isItem;
    line.name = {current->text.data() + r.text, qsizetype(r.nameBytes)};
    line.tail = {current->text.data() + r.text + r.nameBytes, qsizetype(r.tailBytes)};
    line.key = r.key;
    line.rest = r.rest;
    line.sample = r.sample == kNoSample ? nullptr : &current->samples[r.sample];
    return Next::Line;
}

} // namespace database
