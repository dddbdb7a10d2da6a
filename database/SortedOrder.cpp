#include "SortedOrder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace database {

namespace {

// Small blocks keep the move on each insertion short; groups of blocks keep a
// block's split from moving the other blocks. The searches run over separate
// arrays of last entries.
constexpr std::size_t kBlockMax = 128;
constexpr std::size_t kGroupMax = 128;

std::uint64_t keyPrefix(const char *key, std::size_t n)
{
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < n ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

} // namespace

void SortedOrder::add(Id id)
{
    // Only the first sixteen bytes of the key are kept, so only they are
    // worked out.
    unsigned char start[16] = {};
    collation.sortKeyStartUtf8(arena.nameBytes(id), start, sizeof start);
    const auto *bytes = reinterpret_cast<const char *>(start);
    waiting.push_back({keyPrefix(bytes, 8), keyPrefix(bytes + 8, 8), id});
}

bool SortedOrder::less(const Entry &a, const Entry &b) const
{
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    // Keys hold no zero byte, so a zero in a prefix is the key's end: a key
    // that ended inside the first prefix equals the other, and so on.
    if ((a.prefix & 0xFF) != 0 && a.prefix2 != b.prefix2)
        return a.prefix2 < b.prefix2;
    if ((a.prefix & 0xFF) != 0 && (a.prefix2 & 0xFF) != 0) {
        // Both keys go on past sixteen bytes: the names decide, compared by
        // the same collator, which orders them as their keys.
        const int c = collation.compareUtf8(arena.nameBytes(a.id), arena.nameBytes(b.id));
        if (c != 0)
            return c < 0;
    }
    return compareTails(a.id, b.id) < 0;
}

int SortedOrder::compareTails(Id a, Id b) const
{
    const QByteArrayView x = arena.tailBytes(a);
    const QByteArrayView y = arena.tailBytes(b);
    if (arena.hasPlainTail(a) && arena.hasPlainTail(b)) {
        const int c = std::memcmp(x.data(), y.data(), std::size_t(std::min(x.size(), y.size())));
        return c != 0 ? c : int(x.size() > y.size()) - int(x.size() < y.size());
    }
    return collation.compareUtf8(x, y);
}

void SortedOrder::insertSorted(const Entry &e, std::size_t &fromGroup)
{
    startsDirty = true;
    if (groups.empty()) {
        Group &first = groups.emplace_back();
        first.blocks.emplace_back().push_back(e);
        first.lasts.push_back(e);
        first.count = 1;
        groupLasts.push_back(e);
        return;
    }
    const auto cmp = [this](const Entry &x, const Entry &y) { return less(x, y); };
    // The first group, then block, whose last entry sorts after e: all before
    // it sort at or before e, so e goes into it behind its equals.
    std::size_t g = std::size_t(
        std::upper_bound(groupLasts.begin() + std::ptrdiff_t(fromGroup), groupLasts.end(), e, cmp) -
        groupLasts.begin());
    if (g == groups.size())
        --g;
    fromGroup = g;
    Group &group = groups[g];
    std::size_t b = std::size_t(std::upper_bound(group.lasts.begin(), group.lasts.end(), e, cmp) -
                                group.lasts.begin());
    if (b == group.blocks.size())
        --b;
    Block &block = group.blocks[b];
    // Blocks grow by a quarter at a time: doubling would leave much of the
    // order's memory unused.
    if (block.size() == block.capacity())
        block.reserve(std::min(kBlockMax + 1, block.size() + block.size() / 4 + 8));
    block.insert(std::upper_bound(block.begin(), block.end(), e, cmp), e);
    group.lasts[b] = block.back();
    ++group.count;
    if (block.size() > kBlockMax) {
        Block upper(block.begin() + kBlockMax / 2, block.end());
        block.resize(kBlockMax / 2);
        group.lasts[b] = block.back();
        group.lasts.insert(group.lasts.begin() + std::ptrdiff_t(b) + 1, upper.back());
        group.blocks.insert(group.blocks.begin() + std::ptrdiff_t(b) + 1, std::move(upper));
    }
    groupLasts[g] = group.lasts.back();
    if (group.blocks.size() > kGroupMax) {
        Group upper;
        const auto half = std::ptrdiff_t(kGroupMax / 2);
        upper.blocks.assign(std::make_move_iterator(group.blocks.begin() + half),
                            std::make_move_iterator(group.blocks.end()));
        upper.lasts.assign(group.lasts.begin() + half, group.lasts.end());
        group.blocks.resize(std::size_t(half));
        group.lasts.resize(std::size_t(half));
        for (const Block &moved : upper.blocks)
            upper.count += qsizetype(moved.size());
        group.count -= upper.count;
        groupLasts[g] = group.lasts.back();
        groupLasts.insert(groupLasts.begin() + std::ptrdiff_t(g) + 1, upper.lasts.back());
        groups.insert(groups.begin() + std::ptrdiff_t(g) + 1, std::move(upper));
    }
}

void SortedOrder::commit(qsizetype upTo)
{
    const auto n = std::size_t(std::clamp<qsizetype>(upTo - sorted, 0, qsizetype(waiting.size())));
    const auto end = waiting.begin() + std::ptrdiff_t(n);
    // In order, each item is sorted in at or after the place of the one
    // before: the searches start there and touch memory just used, and
    // equal items keep their arrival order.
    const auto cmp = [this](const Entry &x, const Entry &y) { return less(x, y); };
    std::stable_sort(waiting.begin(), end, cmp);
    std::size_t fromGroup = 0;
    for (auto e = waiting.begin(); e != end; ++e)
        insertSorted(*e, fromGroup);
    sorted += qsizetype(n);
    waiting.erase(waiting.begin(), end);
}

void SortedOrder::refreshStarts() const
{
    if (!startsDirty && starts.size() == groups.size())
        return;
    starts.resize(groups.size());
    qsizetype row = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        starts[i] = row;
        row += groups[i].count;
    }
    startsDirty = false;
}

qsizetype SortedOrder::rowAt(std::size_t g, std::size_t b, std::size_t i) const
{
    qsizetype row = starts[g] + qsizetype(i);
    for (std::size_t k = 0; k < b; ++k)
        row += qsizetype(groups[g].blocks[k].size());
    return row;
}

const SortedOrder::Entry &SortedOrder::entryAt(qsizetype row) const
{
    if (row >= sorted)
        return waiting[std::size_t(row - sorted)];
    refreshStarts();
    const std::size_t g =
        std::size_t(std::upper_bound(starts.begin(), starts.end(), row) - starts.begin()) - 1;
    auto left = std::size_t(row - starts[g]);
    for (const Block &block : groups[g].blocks) {
        if (left < block.size())
            return block[left];
        left -= block.size();
    }
    Q_UNREACHABLE();
}

qsizetype SortedOrder::rowOf(const Entry &entry) const
{
    refreshStarts();
    const auto cmp = [this](const Entry &x, const Entry &y) { return less(x, y); };
    // The entry stands among its equals, which may span blocks and groups.
    auto g = std::size_t(std::lower_bound(groupLasts.begin(), groupLasts.end(), entry, cmp) -
                         groupLasts.begin());
    for (bool first = true; g < groups.size(); ++g, first = false) {
        const Group &group = groups[g];
        auto b =
            first
                ? std::size_t(std::lower_bound(group.lasts.begin(), group.lasts.end(), entry, cmp) -
                              group.lasts.begin())
                : 0;
        for (; b < group.blocks.size(); ++b) {
            const Block &block = group.blocks[b];
            for (auto at = std::lower_bound(block.begin(), block.end(), entry, cmp);
                 at != block.end(); ++at) {
                if (at->id == entry.id)
                    return rowAt(g, b, std::size_t(at - block.begin()));
                if (less(entry, *at))
                    return -1;
            }
        }
    }
    return -1;
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
            // A key of sixteen bytes or more goes on in the name's full key;
            // a shorter one ends in a zero within its prefixes.
            if ((e.prefix2 & 0xFF) == 0)
                return -1;
            if (rest.empty())
                collation.appendSortKey(arena.name(e.id), rest);
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
    refreshStarts();
    const auto below = [&](const Entry &e) {
        const int c = compareKeyStart(e, bytes);
        return after ? c <= 0 : c < 0;
    };
    const auto g = std::size_t(std::partition_point(groupLasts.begin(), groupLasts.end(), below) -
                               groupLasts.begin());
    if (g == groups.size())
        return sorted;
    const Group &group = groups[g];
    const auto b = std::size_t(std::partition_point(group.lasts.begin(), group.lasts.end(), below) -
                               group.lasts.begin());
    const Block &block = group.blocks[b];
    return rowAt(
        g, b, std::size_t(std::partition_point(block.begin(), block.end(), below) - block.begin()));
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
