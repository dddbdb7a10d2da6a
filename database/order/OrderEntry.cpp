#include "OrderEntry.h"
#include "OrderBudget.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace database {

namespace {

// The first eight of `size` bytes, big-endian, zero past their end.
std::uint64_t bigEndian(const unsigned char *bytes, std::size_t size = 8)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i)
        value = (value << 8) | (i < size ? bytes[i] : 0);
    return value;
}

// How many first bytes two byte strings share.
std::size_t sharedBytes(std::string_view a, std::string_view b)
{
    const std::size_t n = std::min(a.size(), b.size());
    return std::size_t(std::mismatch(a.begin(), a.begin() + std::ptrdiff_t(n), b.begin()).first -
                       a.begin());
}

// The entry's i-th key byte, past its two bytes of slot.
unsigned char keyByte(const OrderEntry &e, std::size_t i)
{
    const std::size_t at = i + 2;
    const std::uint64_t half = at < 8 ? e.bytes0to7 : e.bytes8to15;
    return static_cast<unsigned char>(half >> (56 - 8 * (at % 8)));
}

// The first `kept` bytes of the key of an item's whole text, or all of it
// when shorter; how many were written.
std::size_t keyBytes(const Collation &collation, itemtext::Utf8Composer &text,
                     QByteArrayView nameUtf8, QByteArrayView tailUtf8, unsigned char *out,
                     std::size_t kept)
{
    // Only the bytes kept are worked out. A text's first part has a key
    // that starts as the whole text's does once its first level runs a few
    // bytes past those (the last characters of a part may weigh otherwise
    // with what follows them, by eight bytes at most): a long tail is keyed
    // by its start alone, and a line of megabytes costs no copy of itself
    // here.
    const std::size_t asked = kept + 8;
    constexpr char kLevelEnd = '\x01';
    for (qsizetype part = load::kKeyStartPart;; part *= load::kKeyStartPartGrowth) {
        const bool whole = part >= tailUtf8.size();
        QByteArrayView tail = tailUtf8;
        if (!whole) {
            // Cut between two characters, not inside one.
            while (part > 0 && (static_cast<unsigned char>(tailUtf8[part]) & 0xC0) == 0x80)
                --part;
            tail = tailUtf8.first(part);
        }
        // The whole text needs no margin: it is asked for the kept bytes only.
        const std::size_t n =
            collation.sortKeyStartUtf8(text.compose(nameUtf8, tail), out, whole ? kept : asked);
        if (whole || (n == asked && std::memchr(out, kLevelEnd, asked) == nullptr)) {
            // A shorter part may have written past a shorter key's end.
            if (n < kept)
                std::memset(out + n, 0, kept - n);
            return std::min(n, kept);
        }
    }
}

} // namespace

CommonStarts CommonStarts::chooseFrom(std::vector<std::string> keys)
{
    // The keys sorted fall into groups that share their first bytes, and
    // each group into smaller ones that share more. A group whose smaller
    // ones hold few keys each (names that go apart after a first name, a
    // family name, a title) has its shared bytes as a start; one whose
    // smaller ones hold many is looked into further, its small ones getting
    // as a start their shared bytes and the one after, which sets them
    // apart. So no start is the start of another, and in order.
    constexpr std::size_t kMembers = 4;
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> chosen;
    std::vector<std::size_t> shared(keys.size());
    for (std::size_t i = 1; i < keys.size(); ++i)
        shared[i] = sharedBytes(keys[i - 1], keys[i]);
    const auto add = [&](const std::string &key, std::size_t size) {
        if (size > 0 && chosen.size() < 0x7FFF)
            chosen.push_back(key.substr(0, size));
    };
    // Keys [begin, end), at least two, all sharing `depth` bytes and no more.
    const auto look = [&](const auto &self, std::size_t begin, std::size_t end) -> void {
        std::size_t depth = keys[begin].size();
        for (std::size_t i = begin + 1; i < end; ++i)
            depth = std::min(depth, shared[i]);
        std::vector<std::size_t> cuts{begin};
        for (std::size_t i = begin + 1; i < end; ++i) {
            if (shared[i] == depth)
                cuts.push_back(i);
        }
        cuts.push_back(end);
        const std::size_t groups = cuts.size() - 1;
        if (keys[begin] == keys[end - 1] || end - begin < kMembers * groups) {
            add(keys[begin], depth);
            return;
        }
        for (std::size_t g = 0; g < groups; ++g) {
            const std::size_t from = cuts[g];
            const std::size_t to = cuts[g + 1];
            if (to - from >= kMembers)
                self(self, from, to);
            else if (keys[from].size() > depth)
                add(keys[from], depth + 1);
        }
    };
    if (keys.size() >= kMembers)
        look(look, 0, keys.size());
    return of(std::move(chosen));
}

CommonStarts CommonStarts::of(std::vector<std::string> starts)
{
    CommonStarts chosen;
    chosen.starts = std::move(starts);
    const std::size_t n = chosen.starts.size();
    if (n == 0)
        return chosen;
    chosen.fingerprint = 2166136261u;
    chosen.from.resize(2 * n + 1);
    for (std::size_t j = 0; j < n; ++j) {
        const std::string &start = chosen.starts[j];
        Q_ASSERT(!start.empty() && start.size() <= load::kCommonStartMax);
        chosen.from[2 * j + 1] = static_cast<std::uint8_t>(start.size());
        if (j > 0) {
            const std::string &before = chosen.starts[j - 1];
            const std::size_t k = sharedBytes(before, start);
            // Sorted, and neither starts the other.
            Q_ASSERT(k < before.size() && k < start.size() &&
                     static_cast<unsigned char>(before[k]) < static_cast<unsigned char>(start[k]));
            chosen.from[2 * j] = static_cast<std::uint8_t>(k);
        }
        chosen.longest = std::max(chosen.longest, start.size());
        chosen.heads.push_back(
            bigEndian(reinterpret_cast<const unsigned char *>(start.data()), start.size()));
        for (const char c : start)
            chosen.fingerprint = (chosen.fingerprint ^ static_cast<unsigned char>(c)) * 16777619u;
        chosen.fingerprint = (chosen.fingerprint ^ 0xFFu) * 16777619u;
    }
    // Never zero, which stands for none.
    chosen.fingerprint |= 1;
    return chosen;
}

std::uint16_t CommonStarts::slotOf(const unsigned char *key, std::size_t size) const
{
    const std::string_view bytes(reinterpret_cast<const char *>(key), size);
    // The last start not after the key. Neither holds a zero byte: a start
    // whose first eight bytes, padded, are below the key's is before it, one
    // whose are above is after it; only those of the same eight are compared
    // whole.
    const auto [sameFrom, sameTo] =
        std::equal_range(heads.begin(), heads.end(), bigEndian(key, size));
    const auto after = std::upper_bound(
        starts.begin() + (sameFrom - heads.begin()), starts.begin() + (sameTo - heads.begin()),
        bytes,
        [](std::string_view k, const std::string &start) { return k < std::string_view(start); });
    const auto j = std::size_t(after - starts.begin());
    if (j > 0) {
        const std::string &start = starts[j - 1];
        if (bytes.compare(0, start.size(), start) == 0) {
            // A key that is the start itself sorts before those that go on.
            return static_cast<std::uint16_t>(bytes.size() > start.size() ? 2 * j - 1 : 2 * j - 2);
        }
    }
    return static_cast<std::uint16_t>(2 * j);
}

const char *CommonStarts::bytesOf(std::uint16_t slot) const
{
    // A slot between two starts: what they share is what the first of them
    // begins with.
    return starts[std::min<std::size_t>(slot / 2, starts.size() - 1)].data();
}

namespace {

// What an entry keeps of a key, from its first bytes: `n` of them, zero
// after them up to `kept`, which is at least the common starts' longest and
// the bytes an entry keeps; the rest's first bytes too when asked for.
KeyStart startFrom(const unsigned char *bytes, std::size_t n, std::size_t kept,
                   const CommonStarts &starts, KeyRests::Ahead *rest)
{
    constexpr std::size_t kStart = KeyRests::kStartBytes;
    const std::uint16_t slot = starts.empty() ? 0 : starts.slotOf(bytes, n);
    const std::size_t from = starts.commonBytes(slot);
    if (rest) {
        // The rest's bytes that were worked out: some more than asked for,
        // in a slot whose keys begin with fewer common bytes than the longest.
        const std::size_t restKept = from + kStart + KeyRests::kAheadBytes;
        rest->worked = true;
        rest->whole = n < restKept || (n == restKept && n < kept);
        rest->size = static_cast<unsigned char>(std::min(n, restKept) - std::min(n, from + kStart));
        std::memcpy(rest->bytes.data(), bytes + from + kStart, rest->size);
    }
    // The slot, then six bytes of the key in the first half; eight in the second.
    return {(std::uint64_t(slot) << 48) | (bigEndian(bytes + from) >> 16),
            bigEndian(bytes + from + 6), starts.fingerprint};
}

// Bytes of a key worked out to choose the common starts and to make the
// entries again with them, at once.
constexpr std::size_t kSampledBytes = load::kCommonStartMax + KeyRests::kStartBytes;

} // namespace

KeyStart EntryOrder::keyStart(const Collation &collation, itemtext::Utf8Composer &text,
                              QByteArrayView nameUtf8, QByteArrayView tailUtf8,
                              const CommonStarts &starts, KeyRests::Ahead *rest)
{
    const std::size_t kept =
        starts.longest + KeyRests::kStartBytes + (rest ? KeyRests::kAheadBytes : 0);
    // keyBytes() writes every byte read after it.
    unsigned char bytes[kSampledBytes + KeyRests::kAheadBytes + 8];
    const std::size_t n = keyBytes(collation, text, nameUtf8, tailUtf8, bytes, kept);
    return startFrom(bytes, n, kept, starts, rest);
}

std::string EntryOrder::sampleKey(const Collation &collation, itemtext::Utf8Composer &text,
                                  QByteArrayView nameUtf8, QByteArrayView tailUtf8)
{
    unsigned char bytes[kSampledBytes + 8] = {};
    const std::size_t n = keyBytes(collation, text, nameUtf8, tailUtf8, bytes, kSampledBytes);
    return std::string(reinterpret_cast<const char *>(bytes), n);
}

KeyStart EntryOrder::keyStartOfSample(const std::string &sample, const CommonStarts &starts,
                                      KeyRests::Ahead *rest)
{
    unsigned char bytes[kSampledBytes + 8] = {};
    std::memcpy(bytes, sample.data(), std::min(sample.size(), kSampledBytes));
    return startFrom(bytes, sample.size(), kSampledBytes, starts, rest);
}

CommonStarts CommonStarts::chooseFromSamples(const std::vector<std::string> &samples)
{
    // Starts of the first level only.
    std::vector<std::string> firstLevels;
    firstLevels.reserve(samples.size());
    for (const std::string &sample : samples) {
        const std::size_t head = std::min(sample.size(), load::kCommonStartMax);
        const std::size_t levelEnd = sample.find('\x01');
        firstLevels.push_back(sample.substr(0, std::min(head, levelEnd)));
    }
    return chooseFrom(std::move(firstLevels));
}

bool EntryOrder::chooseCommonStarts(const std::vector<Sample> &samples, const EachEntry &eachEntry)
{
    if (chosen)
        return false;
    chosen = true;
    std::vector<std::string> keys;
    std::unordered_map<ItemArena::Id, std::size_t> sampleOf;
    keys.reserve(samples.size());
    for (const auto &[id, key] : samples) {
        sampleOf.emplace(id, keys.size());
        keys.push_back(key);
    }
    starts = CommonStarts::chooseFromSamples(keys);
    if (starts.empty())
        return false;
    // What was kept of the rests started where the entries' bytes ended.
    rests.forget();
    // The entries made again from their sampled keys, which go far enough.
    eachEntry([&](OrderEntry &e) {
        const auto found = sampleOf.find(e.id);
        if (found == sampleOf.end()) {
            e = entryOf(keyStart(e.id), e.id);
            return;
        }
        e = entryOf(keyStartOfSample(keys[found->second], starts), e.id);
    });
    return true;
}

int EntryOrder::compare(const OrderEntry &a, const OrderEntry &b) const
{
    if (a.bytes0to7 != b.bytes0to7)
        return a.bytes0to7 < b.bytes0to7 ? -1 : 1;
    if (a.bytes8to15 != b.bytes8to15)
        return a.bytes8to15 < b.bytes8to15 ? -1 : 1;
    if (a.id == b.id)
        return 0;
    // An item's key ends in no zero byte, and the first level of an item's
    // key holds none: a zero at the end of the entry's bytes is the key's
    // end, and two keys that ended inside them are equal. Otherwise the
    // rests of the keys decide (the two are in one slot: their rests start
    // at the same byte), and where even they tie past what is kept, the
    // collation compares the texts, which it orders as their keys.
    if ((a.bytes8to15 & 0xFF) != 0) {
        bool undecided = false;
        int c = rests.compare(a.id, b.id, restFrom(a), undecided);
        if (undecided) {
            c = collation.compareUtf8(first.compose(arena.nameBytes(a.id), arena.tailBytes(a.id)),
                                      second.compose(arena.nameBytes(b.id), arena.tailBytes(b.id)));
        }
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return a.id < b.id ? -1 : 1;
}

std::string EntryOrder::primaryPrefix(QStringView text) const
{
    std::string bytes;
    collation.appendPrimaryPrefixKey(text, bytes);
    return bytes;
}

int EntryOrder::compareKeyStart(const OrderEntry &e, const std::string &bytes) const
{
    const auto *start = reinterpret_cast<const unsigned char *>(bytes.data());
    // The entry's key begins with its slot's common bytes, then the bytes
    // the entry keeps. The bytes, a key's start, hold no zero; a zero in the
    // entry's bytes is the key's end, before any byte.
    const std::size_t from = starts.commonBytes(e.slot());
    const std::size_t common = std::min(bytes.size(), from);
    if (const int c = common == 0 ? 0 : std::memcmp(starts.bytesOf(e.slot()), start, common))
        return c < 0 ? -1 : 1;
    if (bytes.size() <= from)
        return 0;
    const std::size_t inEntry = std::min(bytes.size() - from, KeyRests::kStartBytes);
    for (std::size_t i = 0; i < inEntry; ++i) {
        const unsigned char c = keyByte(e, i);
        if (c != start[from + i])
            return c < start[from + i] ? -1 : 1;
    }
    if (bytes.size() <= from + KeyRests::kStartBytes)
        return 0;
    // The bytes go on past the entry's: the key's rest decides.
    return rests.compareWithStart(e.id, start, bytes.size(), restFrom(e));
}

} // namespace database
