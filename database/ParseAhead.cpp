#include "ParseAhead.h"

#include "LineParser.h"

#include <algorithm>

namespace database {

namespace {
// Lines a batch holds, and the text after which it goes early (long lines).
constexpr std::size_t kBatchLines = 4096;
constexpr std::size_t kFirstBatchLines = 128;
constexpr std::size_t kBatchText = std::size_t(1) << 20;
// Batches in flight: enough for the threads not to wait on each other.
constexpr int kBatches = 4;
} // namespace

ParseAhead::ParseAhead(const QString &path, const QString &locale)
    : file(std::make_unique<DbFile>(path)), collation(locale)
{
    size = file->size();
    // The collation tables load here, not halfway through the first batch.
    collation.prepare();
    for (int i = 0; i < kBatches; ++i) {
        batches.push_back(std::make_unique<Batch>());
        batches.back()->lines.reserve(kBatchLines);
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

ParseAhead::Batch *ParseAhead::emptyBatch()
{
    std::unique_lock<std::mutex> lock(mutex);
    emptied.wait(lock, [this] { return stopping || !empty.empty(); });
    if (stopping)
        return nullptr;
    Batch *batch = empty.front();
    empty.pop_front();
    return batch;
}

void ParseAhead::handOver(Batch *batch)
{
    {
        const std::lock_guard<std::mutex> lock(mutex);
        full.push_back(batch);
    }
    filled.notify_one();
}

void ParseAhead::run()
{
    LineParser parser;
    itemtext::Utf8Composer text;
    QByteArrayView line;
    Encoding encoding;
    std::size_t batchLines = kFirstBatchLines;
    Batch *batch = emptyBatch();
    if (!batch)
        return;
    while (file->readLine(line, encoding)) {
        Record r{batch->text.size(), 0, 0, {}, false};
        if (const auto parts = parser.parse(line, encoding)) {
            r.isItem = true;
            r.nameBytes = std::size_t(parts->name.size());
            r.tailBytes = std::size_t(parts->tail.size());
            batch->text.insert(batch->text.end(), parts->name.begin(), parts->name.end());
            batch->text.insert(batch->text.end(), parts->tail.begin(), parts->tail.end());
            r.key = SortedOrder::keyStart(collation, text, parts->name, parts->tail);
        }
        batch->lines.push_back(r);
        if (batch->lines.size() >= batchLines || batch->text.size() >= kBatchText) {
            // Small batches first, so that the first lines show at once.
            batchLines = std::min(kBatchLines, batchLines * 2);
            handOver(batch);
            batch = emptyBatch();
            if (!batch)
                return;
        }
    }
    batch->last = true;
    batch->failure = file->failure();
    handOver(batch);
}

ParseAhead::Next ParseAhead::next(Line &line, std::chrono::milliseconds wait)
{
    while (!current || at == current->lines.size()) {
        if (current && current->last) {
            failed = current->failure;
            return Next::End;
        }
        std::unique_lock<std::mutex> lock(mutex);
        if (current) {
            current->lines.clear();
            current->text.clear();
            // A batch that held a huge line gives its memory back.
            if (current->text.capacity() > 4 * kBatchText)
                current->text.shrink_to_fit();
            empty.push_back(current);
            current = nullptr;
            emptied.notify_one();
        }
        if (!filled.wait_for(lock, wait, [this] { return !full.empty(); }))
            return Next::NotYet;
        current = full.front();
        full.pop_front();
        at = 0;
    }
    const Record &r = current->lines[at++];
    line.isItem = r.isItem;
    line.name = {current->text.data() + r.text, qsizetype(r.nameBytes)};
    line.tail = {current->text.data() + r.text + r.nameBytes, qsizetype(r.tailBytes)};
    line.key = r.key;
    return Next::Line;
}

} // namespace database
