#include "KeyRests.h"

#include <algorithm>
#include <cstring>

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

namespace database {

namespace {

constexpr std::size_t kMaxRest = KeyRests::kMaxBytes - KeyRests::kStartBytes;
// Bytes of a key kept beside its item: as many as are worked out ahead.
constexpr std::size_t kInPlace = KeyRests::kAheadBytes;
// A tail's key asked for at first: a date and a Life Path take fewer.
constexpr std::size_t kFirstTailKey = 32;
// Tails up to this long (a date and a Life Path, as in any list's lines) are
// compared by the collation when two items of one name meet, as long as
// that has been done fewer times than for one item in two: sooner done than
// working out and keeping a key for each, and found beside the name in
// memory. Past that (a list of one name over and over), and for longer
// tails, each keeps its key, so that the collation does not compare texts
// again and again.
constexpr qsizetype kShortTail = 64;
// Bytes of key past where two names stop being alike that an item's first
// rest holds: enough for the letter that tells them apart.
constexpr std::size_t kMargin = 4;

// What a Kept's tag tells: whether anything is kept, whether the bytes are
// the whole key, whether they lie in a slot (its class in bytes[0], its
// index in bytes[1] to [4]) or in place (as many as the low bits count).
constexpr unsigned char kKept = 0x80;
constexpr unsigned char kWholeKey = 0x40;
constexpr unsigned char kInSlot = 0x20;
constexpr unsigned char kSizeBits = 0x0F;

// A slot's head: the key bytes it holds, and whether they are all the key's.
constexpr std::size_t kSlotHead = 2;
constexpr unsigned kWholeSlot = 0x8000;
static_assert(kMaxRest < kWholeSlot, "a slot counts its bytes below the whole flag");

// Size classes a half larger each, from twelve bytes to a whole rest.
constexpr std::size_t classBytesFrom(std::size_t c)
{
    std::size_t bytes = 12;
    for (; c > 0 && bytes < kMaxRest; --c)
        bytes += bytes / 2;
    return std::min(bytes, kMaxRest);
}

// A slab grows by blocks of a power of two of slots, about 64 KiB or one slot.
constexpr int blockShiftFor(std::size_t slotBytes)
{
    int shift = 0;
    while ((slotBytes << (shift + 1)) <= (std::size_t(1) << 16))
        ++shift;
    return shift;
}

// Each class's slot, looked up at every comparison of two slots' keys:
// worked out once, here, rather than at every look.
struct SlotClass
{
    std::size_t capacity; // key bytes a slot holds
    std::size_t bytes;    // with its head
    int shift;            // slots a block, as a power of two
};
struct SlotClasses
{
    SlotClass of[KeyRests::kClasses];
};
constexpr SlotClasses makeSlotClasses()
{
    SlotClasses classes{};
    for (std::size_t c = 0; c < KeyRests::kClasses; ++c) {
        const std::size_t capacity = classBytesFrom(c);
        classes.of[c] = {capacity, kSlotHead + capacity, blockShiftFor(kSlotHead + capacity)};
    }
    return classes;
}
constexpr SlotClasses kSlotClasses = makeSlotClasses();
static_assert(kSlotClasses.of[KeyRests::kClasses - 2].capacity < kMaxRest &&
                  kSlotClasses.of[KeyRests::kClasses - 1].capacity == kMaxRest,
              "the classes end at a whole rest");

constexpr std::size_t classBytes(std::size_t c)
{
    return kSlotClasses.of[c].capacity;
}

std::size_t classFor(std::size_t bytes)
{
    std::size_t c = 0;
    while (classBytes(c) < bytes)
        ++c;
    return c;
}

void prefetchLine(const void *at)
{
#if defined(_MSC_VER) && !defined(__clang__)
    _mm_prefetch(static_cast<const char *>(at), _MM_HINT_T0);
#else
    __builtin_prefetch(at);
#endif
}
} // namespace

void KeyRests::prefetch(ItemArena::Id id, bool early) const
{
    const Kept *found = rests.find(id);
    if (!found)
        return;
    const Kept &kept = *found;
    if (early || !(kept.tag & kInSlot)) {
        prefetchLine(&kept);
        return;
    }
    prefetchLine(slotOf(kept));
}

unsigned char *KeyRests::slot(std::size_t c, std::size_t index) const
{
    const SlotClass &slotClass = kSlotClasses.of[c];
    return slabs[c].blocks[index >> slotClass.shift].get() +
           (index & ((std::size_t(1) << slotClass.shift) - 1)) * slotClass.bytes;
}

std::uint32_t KeyRests::slotIndex(const Kept &kept)
{
    std::uint32_t index;
    std::memcpy(&index, kept.bytes.data() + 1, sizeof index);
    return index;
}

unsigned char *KeyRests::slotOf(const Kept &kept) const
{
    return slot(kept.bytes[0], slotIndex(kept));
}

KeyRests::View KeyRests::view(const Kept &kept) const
{
    if (!(kept.tag & kInSlot))
        return {kept.bytes.data(), std::size_t(kept.tag & kSizeBits), (kept.tag & kWholeKey) != 0};
    const unsigned char *at = slotOf(kept);
    const unsigned head = unsigned(at[0]) | unsigned(at[1]) << 8;
    return {at + kSlotHead, head & ~kWholeSlot, (head & kWholeSlot) != 0};
}

void KeyRests::free(const Kept &kept) const
{
    if (!(kept.tag & kInSlot))
        return;
    slabs[kept.bytes[0]].freed.push_back(slotIndex(kept));
}

bool KeyRests::keep(QByteArrayView utf8, std::size_t from, std::size_t wanted, Kept &kept) const
{
    const std::size_t asked =
        wanted <= kInPlace ? kInPlace : classBytes(classFor(std::min(wanted, kMaxRest)));
    scratch.resize(from + asked);
    const std::size_t got = collation.sortKeyStartUtf8(utf8, scratch.data(), scratch.size());
    const std::size_t size = got > from ? got - from : 0;
    const bool whole = got < scratch.size();
    // A key that ends short of the room asked for takes the least room it
    // fits in: a tail's key, asked for at 32 bytes, takes some twenty.
    const std::size_t needed = whole ? size : asked;
    if (needed <= kInPlace) {
        free(kept);
        kept = inPlace(scratch.data() + from, size, whole);
        return true;
    }
    const std::size_t c = classFor(needed);
    Slab &slab = slabs[c];
    std::size_t index;
    if (!slab.freed.empty()) {
        index = slab.freed.back();
        slab.freed.pop_back();
    } else {
        if (slab.used >= 0xFFFFFFFFu)
            return false;
        const SlotClass &slotClass = kSlotClasses.of[c];
        if (slab.used == slab.blocks.size() << slotClass.shift)
            slab.blocks.emplace_back(new unsigned char[slotClass.bytes << slotClass.shift]);
        index = slab.used++;
    }
    free(kept);
    unsigned char *at = slot(c, index);
    const unsigned head = unsigned(size) | (whole ? kWholeSlot : 0);
    at[0] = static_cast<unsigned char>(head & 0xFF);
    at[1] = static_cast<unsigned char>(head >> 8);
    std::memcpy(at + kSlotHead, scratch.data() + from, size);
    kept.tag = kKept | kInSlot;
    kept.bytes[0] = static_cast<unsigned char>(c);
    const auto slotIndex = std::uint32_t(index);
    std::memcpy(kept.bytes.data() + 1, &slotIndex, sizeof slotIndex);
    return true;
}

KeyRests::Kept KeyRests::inPlace(const unsigned char *bytes, std::size_t size, bool whole)
{
    Kept kept;
    kept.tag = kKept | (whole ? kWholeKey : 0) | static_cast<unsigned char>(size);
    std::memcpy(kept.bytes.data(), bytes, size);
    return kept;
}

void KeyRests::offer(ItemArena::Id id, const Ahead &ahead)
{
    if (!ahead.worked || rests.empty())
        return;
    Kept &kept = rests.at(id);
    if (!kept.tag)
        kept = inPlace(ahead.bytes.data(), ahead.size, ahead.whole);
}

KeyRests::Kept &KeyRests::restOf(ItemArena::Id id) const
{
    if (rests.empty()) {
        // A table holds an item's rest in sixteen to thirty-two bytes, the
        // blocks in eight for every item: the blocks once more than one item
        // in five has a rest, where they cost about as much as the tables and
        // new items' rests are worked out ahead and compared in place.
        if (fewRests.size() * 5 <= std::size_t(arena.size()))
            return fewRests[id];
        fewRests.forEach([this](ItemArena::Id item, const Kept &kept) { rests.at(item) = kept; });
        fewRests.clear();
    }
    return rests.at(id);
}

bool KeyRests::hasRest(ItemArena::Id id) const
{
    const Kept *kept = rests.empty() ? fewRests.find(id) : rests.find(id);
    return kept && kept->tag;
}

KeyRests::Kept &KeyRests::KeptByItem::make(ItemArena::Id id)
{
    const std::size_t block = id >> kBlockShift;
    if (block >= blocks.size())
        blocks.resize(block + 1);
    if (!blocks[block])
        blocks[block] = std::make_unique<Kept[]>(std::size_t(kBlockMask) + 1);
    return blocks[block][id & kBlockMask];
}

namespace {
// Where an item's look in its part's table starts: ids of a part differ in
// their high bits, which a multiplication brings down.
std::size_t homeSlot(ItemArena::Id id, std::size_t mask)
{
    return std::size_t((std::uint64_t(id) * 0x9E3779B97F4A7C15u) >> 40) & mask;
}
} // namespace

template <typename Table> auto &KeyRests::KeptByMap::slotFor(Table &table, ItemArena::Id id)
{
    const std::size_t mask = table.size() - 1;
    std::size_t i = homeSlot(id, mask);
    while (table[i].id != id && table[i].id != kNone)
        i = (i + 1) & mask;
    return table[i];
}

KeyRests::Kept &KeyRests::KeptByMap::operator[](ItemArena::Id id)
{
    Part &part = parts[id % kParts];
    // At most three slots in four taken, so that a look ends soon.
    if (4 * (part.used + 1) > 3 * part.table.size())
        grow(part);
    Slot &slot = slotFor(part.table, id);
    if (slot.id == kNone) {
        slot.id = id;
        ++part.used;
        ++count;
    }
    return slot.kept;
}

const KeyRests::Kept *KeyRests::KeptByMap::find(ItemArena::Id id) const
{
    const Part &part = parts[id % kParts];
    if (part.table.empty())
        return nullptr;
    const Slot &slot = slotFor(part.table, id);
    return slot.id == id ? &slot.kept : nullptr;
}

void KeyRests::KeptByMap::grow(Part &part)
{
    std::vector<Slot> old(std::max<std::size_t>(16, 2 * part.table.size()));
    old.swap(part.table);
    for (const Slot &slot : old) {
        if (slot.id != kNone)
            slotFor(part.table, slot.id) = slot;
    }
}

void KeyRests::KeptByMap::clear()
{
    for (Part &part : parts)
        part = Part();
    count = 0;
}

std::size_t KeyRests::KeptByMap::bytes() const
{
    std::size_t bytes = 0;
    for (const Part &part : parts)
        bytes += part.table.capacity() * sizeof(Slot);
    return bytes;
}

std::size_t KeyRests::KeptByItem::bytes() const
{
    std::size_t made = 0;
    for (const auto &block : blocks)
        made += block ? 1 : 0;
    return blocks.capacity() * sizeof(blocks[0]) +
           made * (std::size_t(kBlockMask) + 1) * sizeof(Kept);
}

bool KeyRests::ensureRest(ItemArena::Id id, std::size_t size, std::size_t from) const
{
    Kept &kept = restOf(id);
    if (kept.tag) {
        const View v = view(kept);
        if (v.size >= size || v.whole)
            return true;
    }
    return keep(text.compose(arena.nameBytes(id), arena.tailBytes(id)), from, size, kept);
}

bool KeyRests::ensureTail(ItemArena::Id id) const
{
    Kept &kept = tails[id];
    for (const std::size_t wanted : {kFirstTailKey, kMaxRest}) {
        if (kept.tag) {
            const View v = view(kept);
            if (v.whole || v.size >= kMaxRest)
                return true;
        }
        if (!keep(arena.tailBytes(id), 0, wanted, kept))
            return false;
    }
    return true;
}

std::size_t KeyRests::firstRest(ItemArena::Id a, ItemArena::Id b, std::size_t from) const
{
    // About as far as the two names go alike, a byte of key a byte of text
    // where names are in Latin letters; more is asked for where that is not
    // enough.
    const QByteArrayView x = arena.nameBytes(a);
    const QByteArrayView y = arena.nameBytes(b);
    const qsizetype n = std::min(x.size(), y.size());
    qsizetype alike = 0;
    while (alike < n && x[alike] == y[alike])
        ++alike;
    const std::size_t reach = std::size_t(alike) + kMargin;
    return reach > from + kInPlace ? reach - from : kInPlace;
}

namespace {

// Bytes worked out only as far as asked may be all the key has, or not:
// `more` tells that such a key must be worked out further. Otherwise a key
// that ends sorts before one that goes on.
int compareKeys(const unsigned char *a, std::size_t aSize, bool aWhole, const unsigned char *b,
                std::size_t bSize, bool bWhole, bool &more)
{
    more = false;
    const std::size_t n = std::min(aSize, bSize);
    if (const int c = n == 0 ? 0 : std::memcmp(a, b, n))
        return c < 0 ? -1 : 1;
    if ((aSize == n && !aWhole) || (bSize == n && !bWhole)) {
        more = true;
        return 0;
    }
    const bool aEnds = aSize == n;
    const bool bEnds = bSize == n;
    return aEnds == bEnds ? 0 : aEnds ? -1 : 1;
}

// A Kept's bytes in place as a big-endian number, the bytes past `size` zero.
std::uint64_t inPlaceBytes(const std::array<unsigned char, kInPlace> &bytes, std::size_t size)
{
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        value = (value << 8) | (i < size ? bytes[i] : 0);
    return value;
}

} // namespace

int KeyRests::compareInPlace(ItemArena::Id a, ItemArena::Id b) const
{
    const Kept *ka = rests.find(a);
    const Kept *kb = rests.find(b);
    if (!ka || !kb || (ka->tag & (kKept | kInSlot)) != kKept ||
        (kb->tag & (kKept | kInSlot)) != kKept)
        return 0;
    const std::size_t n = std::min(ka->tag & kSizeBits, kb->tag & kSizeBits);
    const std::uint64_t x = inPlaceBytes(ka->bytes, n);
    const std::uint64_t y = inPlaceBytes(kb->bytes, n);
    return x == y ? 0 : x < y ? -1 : 1;
}

int KeyRests::compare(ItemArena::Id a, ItemArena::Id b, std::size_t from, bool &undecided) const
{
    // Where many names are alike, most ties end in the bytes kept beside
    // the two items.
    if (const int c = compareInPlace(a, b))
        return c;
    // Both keys are worked out before either is looked at: working one out
    // may move the other's, or take the slot its view points into.
    bool more = false;
    // Asked without making either a place: two items of one name (a list of
    // hundreds of thousands has many) need no rest of their own, as they tie
    // through it and its blanks.
    const bool known = hasRest(a) && hasRest(b);
    bool sameNameLookedAt = !known;
    if (!known && arena.nameBytes(a) == arena.nameBytes(b))
        return compareTails(a, b, undecided);
    const std::size_t maxRest = kMaxBytes - from;
    for (std::size_t wanted = known ? kInPlace : firstRest(a, b, from);;) {
        if (!ensureRest(a, wanted, from) || !ensureRest(b, wanted, from)) {
            undecided = true;
            return 0;
        }
        const View va = view(restOf(a));
        const View vb = view(restOf(b));
        const int c = compareKeys(va.bytes, va.size, va.whole, vb.bytes, vb.size, vb.whole, more);
        if (!more)
            return c;
        const std::size_t n = std::min(va.size, vb.size);
        std::size_t grown = 2 * n;
        if (!sameNameLookedAt) {
            sameNameLookedAt = true;
            if (arena.nameBytes(a) == arena.nameBytes(b))
                return compareTails(a, b, undecided);
            // Rests kept before (worked out ahead, or for another tie) and
            // alike: at once as far as these two names go alike.
            grown = std::max(grown, firstRest(a, b, from));
        }
        if (n >= maxRest) {
            undecided = true;
            return 0;
        }
        wanted = std::min(grown, maxRest);
    }
}

int KeyRests::compareTails(ItemArena::Id a, ItemArena::Id b, bool &undecided) const
{
    // The same name, then the same 500 blanks: the tails decide, as their
    // own keys order them.
    const QByteArrayView tailA = arena.tailBytes(a);
    const QByteArrayView tailB = arena.tailBytes(b);
    if (tailA.size() <= kShortTail && tailB.size() <= kShortTail &&
        2 * tailsCompared < std::size_t(arena.size())) {
        ++tailsCompared;
        return collation.compareUtf8(tailA, tailB);
    }
    bool more = false;
    if (!ensureTail(a) || !ensureTail(b)) {
        undecided = true;
        return 0;
    }
    const View va = view(tails[a]);
    const View vb = view(tails[b]);
    const int c = compareKeys(va.bytes, va.size, va.whole, vb.bytes, vb.size, vb.whole, more);
    undecided = more;
    return c;
}

int KeyRests::compareWithStart(ItemArena::Id id, const unsigned char *start, std::size_t size,
                               std::size_t from) const
{
    const std::size_t wanted = size - from;
    if (!ensureRest(id, wanted, from))
        return 0;
    const View r = view(restOf(id));
    const std::size_t n = std::min(wanted, r.size);
    if (const int c = n == 0 ? 0 : std::memcmp(r.bytes, start + from, n))
        return c < 0 ? -1 : 1;
    // A key that ends before the start's end sorts before every key that
    // goes on with it.
    return r.size < wanted && r.whole ? -1 : 0;
}

void KeyRests::forget()
{
    fewRests.clear();
    tails.clear();
    rests = KeptByItem();
    for (Slab &slab : slabs)
        slab = Slab();
}

std::size_t KeyRests::bytesKept() const
{
    std::size_t bytes = rests.bytes() + fewRests.bytes() + tails.bytes();
    for (std::size_t c = 0; c < kClasses; ++c) {
        const SlotClass &slotClass = kSlotClasses.of[c];
        bytes += (slabs[c].blocks.size() * slotClass.bytes << slotClass.shift) +
                 slabs[c].freed.capacity() * sizeof(std::uint32_t);
    }
    return bytes;
}

} // namespace database
