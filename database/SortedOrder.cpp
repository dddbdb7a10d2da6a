#include "SortedOrder.h"
#include "ItemText.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace database {

namespace {

// A run is merged into an older one unless the older holds more than this
// many times its items: each item is then moved a few times in all, and the
// runs stay few.
constexpr std::size_t kRunRatio = 2;
// Rows within this many of the last one found are reached by stepping.
constexpr qsizetype kStepMax = 256;
// Waiting items sorted ahead of a commit, a chunk at a time: small enough to
// sort within a few milliseconds even where every comparison needs the texts.
constexpr std::size_t kPresortChunk = 4096;

std::uint64_t keyPrefix(const char *key, std::size_t n)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < n ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

// The first place in a sorted run whose entry is not below.
template <typename RunT, typename Below> std::size_t partitionPoint(const RunT &run, Below below)
{
    std::size_t first = 0;
    std::size_t n = run.size();
    while (n > 0) {
        const std::size_t half = n / 2;
        if (below(run[first + half])) {
            first += half + 1;
            n -= half + 1;
        } else {
            n = half;
        }
    }
    return first;
}

} // namespace

void SortedOrder::Run::push_back(const Entry &e, Spares &spares)
{
    const std::size_t at = skipped + count;
    if (at % kChunk == 0) {
        if (spares.empty()) {
            chunks.emplace_back(new Entry[kChunk]);
        } else {
            chunks.push_back(std::move(spares.back()));
            spares.pop_back();
        }
    }
    chunks[at / kChunk][at % kChunk] = e;
    ++count;
}

void SortedOrder::Run::pop_front(Spares &spares)
{
    ++skipped;
    --count;
    // A merge takes chunks as fast as it empties them: a few spares do.
    constexpr std::size_t kSparesMax = 2;
    if (skipped % kChunk == 0) {
        Chunk &emptied = chunks[skipped / kChunk - 1];
        if (spares.size() < kSparesMax)
            spares.push_back(std::move(emptied));
        emptied.reset();
    }
}

SortedOrder::KeyStart SortedOrder::keyStart(const Collation &collation,
                                            itemtext::Utf8Composer &text, QByteArrayView nameUtf8,
                                            QByteArrayView tailUtf8)
{
    // Only the first sixteen bytes of the key are kept, so only they are
    // worked out.
    unsigned char start[16] = {};
    collation.sortKeyStartUtf8(text.compose(nameUtf8, tailUtf8), start, sizeof start);
    const auto *bytes = reinterpret_cast<const char *>(start);
    return {keyPrefix(bytes, 8), keyPrefix(bytes + 8, 8)};
}

int SortedOrder::compare(const Entry &a, const Entry &b) const
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix ? -1 : 1;
    if (a.prefix2 != b.prefix2)
        return a.prefix2 < b.prefix2 ? -1 : 1;
    if (a.id == b.id)
        return 0;
    // Keys hold no zero byte, so a zero in the key start is the key's end:
    // two keys that ended inside it are equal, and so are their texts to the
    // collation. Otherwise the texts decide, compared by the same collation,
    // which orders them as their keys: the key start is the true start of
    // the whole key, so it can never disagree.
    if ((a.prefix2 & 0xFF) != 0 && (arena.nameBytes(a.id) != arena.nameBytes(b.id) ||
                                    arena.tailBytes(a.id) != arena.tailBytes(b.id))) {
        // The same line twice needs no collation; any other pair does.
        const int c =
            collation.compareUtf8(textA.compose(arena.nameBytes(a.id), arena.tailBytes(a.id)),
                                  textB.compose(arena.nameBytes(b.id), arena.tailBytes(b.id)));
        if (c != 0)
            return c;
    }
    return a.id < b.id ? -1 : 1;
}

void SortedOrder::commit(qsizetype upTo)
{
    const auto n = std::size_t(std::clamp<qsizetype>(upTo - sorted, 0, qsizetype(waiting.size())));
    if (n == 0)
        return;
    const auto appendRun = [this](auto first, auto last) {
        if (first == last)
            return;
        Run run;
        for (auto e = first; e != last; ++e)
            run.push_back(*e, spares);
        runs.push_back(std::move(run));
    };
    // The chunks sorted ahead become runs as they are; the rest is sorted here.
    std::size_t taken = 0;
    for (const std::vector<Entry> &chunk : presorted) {
        if (taken + chunk.size() > n)
            break;
        appendRun(chunk.begin(), chunk.end());
        taken += chunk.size();
    }
    presorted.clear();
    const auto from = waiting.begin() + std::ptrdiff_t(taken);
    const auto end = waiting.begin() + std::ptrdiff_t(n);
    // Equal items are told apart by arrival, so any sort is stable.
    std::sort(from, end, [this](const Entry &x, const Entry &y) { return less(x, y); });
    appendRun(from, end);
    sorted += qsizetype(n);
    waiting.erase(waiting.begin(), end);
    cursorRow = -1;
}

void SortedOrder::presort(qsizetype upTo)
{
    const std::size_t begin = presorted.size() * kPresortChunk;
    const std::size_t end = begin + kPresortChunk;
    if (upTo - sorted < qsizetype(end) || waiting.size() < end)
        return;
    std::vector<Entry> chunk(waiting.begin() + std::ptrdiff_t(begin),
                             waiting.begin() + std::ptrdiff_t(end));
    std::sort(chunk.begin(), chunk.end(),
              [this](const Entry &x, const Entry &y) { return less(x, y); });
    presorted.push_back(std::move(chunk));
}

bool SortedOrder::startMerge(bool toOne)
{
    // The newest pair out of proportion first: small merges are cheap, and
    // their result may call for the next.
    for (std::size_t newer = runs.size(); newer-- > 1;) {
        if (toOne || runs[newer - 1].size() <= kRunRatio * runs[newer].size()) {
            mergeAt = newer - 1;
            runs.insert(runs.begin() + std::ptrdiff_t(mergeAt), Run());
            cursorRow = -1;
            return true;
        }
    }
    return false;
}

bool SortedOrder::compact(std::size_t moves, bool toOne)
{
    for (;;) {
        if (mergeAt == kNoMerge && !startMerge(toOne))
            return false;
        if (moves == 0)
            return true;
        cursorRow = -1;
        Run &out = runs[mergeAt];
        Run &a = runs[mergeAt + 1];
        Run &b = runs[mergeAt + 2];
        for (; moves > 0 && !a.empty() && !b.empty(); --moves) {
            const Entry &x = a.front();
            const Entry &y = b.front();
            // The older run's item first among equals: the order is by arrival.
            if (less(y, x)) {
                out.push_back(y, spares);
                b.pop_front(spares);
            } else {
                out.push_back(x, spares);
                a.pop_front(spares);
            }
        }
        for (Run *rest : {&a, &b}) {
            for (; moves > 0 && !rest->empty(); --moves) {
                out.push_back(rest->front(), spares);
                rest->pop_front(spares);
            }
        }
        if (a.empty() && b.empty()) {
            runs.erase(runs.begin() + std::ptrdiff_t(mergeAt) + 1,
                       runs.begin() + std::ptrdiff_t(mergeAt) + 3);
            mergeAt = kNoMerge;
        }
    }
}

std::size_t SortedOrder::lowerBound(const Run &run, const Entry &e) const
{
    return partitionPoint(run, [&](const Entry &x) { return less(x, e); });
}

std::size_t SortedOrder::leastAtCursor() const
{
    std::size_t least = runs.size();
    for (std::size_t j = 0; j < runs.size(); ++j) {
        if (cursor[j] < runs[j].size() &&
            (least == runs.size() || less(runs[j][cursor[j]], runs[least][cursor[least]])))
            least = j;
    }
    return least;
}

void SortedOrder::seek(qsizetype row) const
{
    const std::size_t count = runs.size();
    if (cursorRow < 0 || cursor.size() != count || std::abs(row - cursorRow) > kStepMax) {
        // The row's entry is one of some run's; search the runs together,
        // halving the widest range of places left at each round. The places
        // of the row's entry in each run stay within [lo, hi).
        std::vector<std::size_t> lo(count, 0);
        std::vector<std::size_t> hi(count);
        std::vector<std::size_t> at(count);
        for (std::size_t j = 0; j < count; ++j)
            hi[j] = runs[j].size();
        for (;;) {
            std::size_t widest = 0;
            for (std::size_t j = 1; j < count; ++j) {
                if (hi[j] - lo[j] > hi[widest] - lo[widest])
                    widest = j;
            }
            if (hi[widest] == lo[widest]) {
                cursor = lo;
                break;
            }
            const std::size_t mid = lo[widest] + (hi[widest] - lo[widest]) / 2;
            const Entry &pivot = runs[widest][mid];
            qsizetype below = 0;
            for (std::size_t j = 0; j < count; ++j) {
                at[j] = j == widest ? mid : lowerBound(runs[j], pivot);
                below += qsizetype(at[j]);
            }
            if (below == row) {
                cursor = at;
                break;
            }
            for (std::size_t j = 0; j < count; ++j) {
                if (below < row)
                    lo[j] = std::max(lo[j], at[j] + (j == widest ? 1 : 0));
                else
                    hi[j] = std::min(hi[j], at[j]);
            }
        }
        cursorRow = row;
        return;
    }
    for (; cursorRow < row; ++cursorRow)
        ++cursor[leastAtCursor()];
    for (; cursorRow > row; --cursorRow) {
        std::size_t greatest = count;
        for (std::size_t j = 0; j < count; ++j) {
            if (cursor[j] > 0 && (greatest == count || less(runs[greatest][cursor[greatest] - 1],
                                                            runs[j][cursor[j] - 1])))
                greatest = j;
        }
        --cursor[greatest];
    }
}

const SortedOrder::Entry &SortedOrder::entryAt(qsizetype row) const
{
    if (row >= sorted)
        return waiting[std::size_t(row - sorted)];
    if (runs.size() == 1)
        return runs[0][std::size_t(row)];
    seek(row);
    const std::size_t j = leastAtCursor();
    return runs[j][cursor[j]];
}

qsizetype SortedOrder::rowOf(const Entry &entry) const
{
    qsizetype row = 0;
    bool found = false;
    for (const Run &run : runs) {
        const std::size_t at = lowerBound(run, entry);
        found = found || (at < run.size() && run[at].id == entry.id);
        row += qsizetype(at);
    }
    return found ? row : -1;
}

int SortedOrder::compareKeyStart(const Entry &e, const std::string &bytes) const
{
    std::string rest; // the key past sixteen bytes, made when asked for
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c;
        if (i < 16) {
            const std::uint64_t half = i < 8 ? e.prefix : e.prefix2;
            c = static_cast<unsigned char>(half >> (56 - 8 * (i % 8)));
        } else {
            // A key of sixteen bytes or more goes on in the item's full key;
            // a shorter one ends in a zero within its prefixes.
            if ((e.prefix2 & 0xFF) == 0)
                return -1;
            if (rest.empty())
                collation.appendSortKey(arena.itemText(e.id), rest);
            c = i < rest.size() ? static_cast<unsigned char>(rest[i]) : 0;
        }
        const auto b = static_cast<unsigned char>(bytes[i]);
        // Keys hold no zero byte: a zero is the key's end, before any byte.
        if (c != b)
            return c < b ? -1 : 1;
    }
    return 0;
}

qsizetype SortedOrder::partitionRow(const std::string &bytes, bool after) const
{
    qsizetype row = 0;
    for (const Run &run : runs) {
        row += qsizetype(partitionPoint(run, [&](const Entry &e) {
            const int c = compareKeyStart(e, bytes);
            return after ? c <= 0 : c < 0;
        }));
    }
    return row;
}

std::pair<qsizetype, qsizetype> SortedOrder::rowsStartingWith(QStringView text) const
{
    std::string bytes;
    collation.appendPrimaryPrefixKey(text, bytes);
    if (bytes.empty() || sorted == 0)
        return {0, 0};
    return {partitionRow(bytes, false), partitionRow(bytes, true)};
}

} // namespace database
