#include "KeyRests.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace database {

namespace {
// The rest worked out when an item first ties: enough to tell most names
// alike in their first letters apart.
constexpr std::size_t kFirstRest = 16;
constexpr std::size_t kSameNameRest = 1024;
constexpr std::size_t kMaxRest = KeyRests::kMaxBytes - KeyRests::kStartBytes;
static_assert(kMaxRest <= 0xFFFF, "a record counts its bytes in two bytes");
constexpr std::size_t kRecordHead = 3;
} // namespace

void KeyRests::ensure(ItemArena::Id id, std::size_t size) const
{
    if (where.size() <= id)
        where.resize(std::size_t(id) + 1, 0);
    std::size_t replaced = 0;
    if (const Offset at = where[id]) {
        const View kept = view(at);
        if (kept.size >= size || kept.whole)
            return;
        replaced = kRecordHead + kept.size;
    }
    const std::size_t wanted = std::clamp(size, kFirstRest, kMaxRest);
    scratch.resize(kStartBytes + wanted);
    const std::size_t got = collation.sortKeyStartUtf8(
        text.compose(arena.nameBytes(id), arena.tailBytes(id)), scratch.data(), scratch.size());
    const std::size_t rest = got > kStartBytes ? got - kStartBytes : 0;
    if (store.size() + kRecordHead + rest >= std::numeric_limits<Offset>::max()) {
        // Four gigabytes of rests: no more are kept, and the comparisons
        // fall back on the collation's.
        return;
    }
    where[id] = Offset(store.size() + 1);
    store.push_back(static_cast<unsigned char>(rest & 0xFF));
    store.push_back(static_cast<unsigned char>(rest >> 8));
    store.push_back(got < scratch.size() ? 1 : 0);
    store.insert(store.end(), scratch.begin() + std::ptrdiff_t(kStartBytes),
                 scratch.begin() + std::ptrdiff_t(kStartBytes + rest));
    outgrown += replaced;
    if (2 * outgrown > store.size())
        dropOutgrown();
}

void KeyRests::dropOutgrown() const
{
    std::vector<unsigned char> kept;
    kept.reserve(store.size() - outgrown);
    for (Offset &at : where) {
        if (at == 0)
            continue;
        const View record = view(at);
        const auto *from = record.bytes - kRecordHead;
        at = Offset(kept.size() + 1);
        kept.insert(kept.end(), from, record.bytes + record.size);
    }
    store = std::move(kept);
    outgrown = 0;
}

KeyRests::View KeyRests::view(Offset at) const
{
    const unsigned char *record = store.data() + (at - 1);
    return {record + kRecordHead, std::size_t(record[0]) | std::size_t(record[1]) << 8,
            record[2] != 0};
}

KeyRests::View KeyRests::rest(ItemArena::Id id, std::size_t size) const
{
    ensure(id, size);
    return id < where.size() && where[id] ? view(where[id]) : View{nullptr, 0, false};
}

int KeyRests::compare(ItemArena::Id a, ItemArena::Id b, bool &undecided) const
{
    // Two items of the same name tie at least as far as the blanks after it
    // go, a byte or two of key for each: asked for at once.
    const bool sameName = arena.nameBytes(a) == arena.nameBytes(b);
    for (std::size_t wanted = sameName ? kSameNameRest : kFirstRest;;) {
        // Both worked out before either is looked at: working one out may
        // move the store.
        ensure(a, wanted);
        ensure(b, wanted);
        const View ra = rest(a, wanted);
        const View rb = rest(b, wanted);
        if (!ra.bytes || !rb.bytes) {
            undecided = true;
            return 0;
        }
        const std::size_t n = std::min(ra.size, rb.size);
        if (const int c = n == 0 ? 0 : std::memcmp(ra.bytes, rb.bytes, n))
            return c;
        // Bytes worked out only as far as asked may be all the key has, or
        // not: such a rest is worked out further. Otherwise a key that ends
        // here sorts before one that goes on.
        const bool aUnknown = ra.size == n && !ra.whole;
        const bool bUnknown = rb.size == n && !rb.whole;
        if (!aUnknown && !bUnknown) {
            const bool aEnds = ra.size == n;
            const bool bEnds = rb.size == n;
            return aEnds == bEnds ? 0 : aEnds ? -1 : 1;
        }
        if (n >= kMaxRest) {
            undecided = true;
            return 0;
        }
        wanted = std::min(2 * n, kMaxRest);
    }
}

int KeyRests::compareWithStart(ItemArena::Id id, const unsigned char *start, std::size_t size) const
{
    const std::size_t wanted = size - kStartBytes;
    const View r = rest(id, wanted);
    if (!r.bytes)
        return 0;
    const std::size_t n = std::min(wanted, r.size);
    if (const int c = n == 0 ? 0 : std::memcmp(r.bytes, start + kStartBytes, n))
        return c < 0 ? -1 : 1;
    // A key that ends before the start's end sorts before every key that
    // goes on with it.
    return r.size < wanted && r.whole ? -1 : 0;
}

} // namespace database
