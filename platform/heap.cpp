#include "platform/heap.h"

#if FAMESCOPE_LARGE_PAGE_HEAP
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#endif

namespace platform {

#if FAMESCOPE_LARGE_PAGE_HEAP
namespace {

// The window's first paint writes some 3 MB that the process has never
// written before (its backing store, the pictures, the fonts' glyphs, the
// widgets themselves), and the kernel hands memory over a 4 KB page at a
// time, at the first write to each. Where that costs some 10 µs a page, as in
// a virtual machine, those 500 pages are 5 ms of a 50 ms start. A 2 MB page
// costs one such step; the kernel gives it to an aligned range the process
// has marked (MADV_HUGEPAGE: transparent huge pages set to "madvise", the
// usual setting, or "always"), as long as nothing in the range was touched.
constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
// Two large pages hold what the first paint writes, with room to spare.
constexpr std::size_t kReserve = 2 * kLargePage;
// Larger than any block glibc's caches of small blocks keep, and than what
// its bins are likely to hold this early, so that it comes from the top.
constexpr std::size_t kFillerMin = std::size_t(256) << 10;
// Blocks up to here come from the heap, not from a mapping of their own, as
// the reserve and the largest filler must; the heap keeps twice that free
// before it gives memory back. Both as glibc's own rule sets them once a
// program has freed a block that large (it allows up to 32 MB and 64 MB).
constexpr int kMapThreshold = int(2 * kReserve);
constexpr int kTrimThreshold = 2 * kMapThreshold;
static_assert(kReserve < std::size_t(kMapThreshold));
static_assert(kFillerMin + kLargePage < std::size_t(kMapThreshold));
// glibc (every version since 2.0) puts two size fields before each block and
// carves a new block from the start of the heap's free top.
constexpr std::uintptr_t kHeader = 2 * sizeof(std::size_t);

constexpr std::uintptr_t roundUp(std::uintptr_t value)
{
    return (value + kLargePage - 1) & ~(kLargePage - 1);
}

// Kept for the life of the process: freed, it would give its place back to
// the top, and the next block would start short of the boundary again. Only
// its first bytes are ever written.
void *filler = nullptr;

bool prepare()
{
    mallopt(M_MMAP_THRESHOLD, kMapThreshold);
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
    // The heap's free top ends where the heap does.
    const auto top = reinterpret_cast<std::uintptr_t>(sbrk(0)) - mallinfo2().keepcost;
    // A filler up to the next boundary, so that the reserve starts on it with
    // its header just before: nothing in the reserve is written before it is
    // marked (a range written before keeps its small pages).
    const std::uintptr_t boundary = roundUp(top + kHeader + kFillerMin);
    filler = std::malloc(boundary - kHeader - top - sizeof(std::size_t));
    auto *reserve = static_cast<char *>(std::malloc(kReserve));
    if (!filler || !reserve) {
        std::free(reserve);
        return false;
    }
    // Wherever the blocks fell, only whole large pages within the reserve.
    const auto start = reinterpret_cast<std::uintptr_t>(reserve);
    const std::uintptr_t from = roundUp(start);
    const std::uintptr_t to = (start + kReserve) & ~(kLargePage - 1);
    const bool marked =
        from < to && madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE) == 0;
    if (marked) {
        // Written now, each is one large page before anything reads it: a
        // range read first maps the shared page of zeros, and a write after
        // that gets small pages.
        for (std::uintptr_t at = from; at < to; at += kLargePage)
            *reinterpret_cast<volatile char *>(at) = 0;
    }
    std::free(reserve);
    return marked && from == start;
}

} // namespace
#endif

bool heapInLargePages()
{
#if FAMESCOPE_LARGE_PAGE_HEAP
    static const bool ready = prepare();
    return ready;
#else
    return false;
#endif
}

} // namespace platform
