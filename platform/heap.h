#pragma once

// The heap as the program's start wants it. No Qt.

// Any standard header says whose C library this is.
#include <cstdlib>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define FAMESCOPE_SANITIZER_ALLOCATOR 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define FAMESCOPE_SANITIZER_ALLOCATOR 1
#endif

namespace platform {

// Linux's glibc, not a sanitizer's allocator in its place.
#if defined(__linux__) && defined(__GLIBC__) && !defined(FAMESCOPE_SANITIZER_ALLOCATOR)
#if __GLIBC_PREREQ(2, 33)
#define FAMESCOPE_LARGE_PAGE_HEAP 1
#endif
#endif
#if FAMESCOPE_LARGE_PAGE_HEAP
inline constexpr bool kLargePageHeap = true;
#else
inline constexpr bool kLargePageHeap = false;
#endif

// Readies the next few megabytes of the heap in large pages (2 MB), where
// the system gives them to a process that asks (kLargePageHeap), once,
// before the window is built: heap.cpp says why. True when they are ready,
// the heap's next blocks starting on a large page marked for the kernel.
// False elsewhere, and where glibc or the kernel would not have it so; the
// heap then keeps as much free memory as it would have (see heap.cpp).
bool heapInLargePages();

} // namespace platform
