#pragma once

// Fresh memory for the large blocks the viewer fills at once (a drawing's
// bytes, its points and entities, its picture), asked for ahead of the
// filling. Inside the viewer only; POSIX.

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

namespace korvalo::viewer {

// Asks the system to back a large block about to be filled with large
// pages: filling tens of megabytes page by page of 4 KB costs a page fault
// each, which on some machines (virtual ones) costs more than the reading.
// Only whole large pages inside the block are asked for; a refusal changes
// nothing.
inline void AskForLargePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  if (bytes < 2 * kLargePage) return;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kLargePage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Backs the whole pages of a block about to be written with memory in one
// call: taking fresh memory page by page as it is first written costs a
// fault each, about twice the time. A refusal (an older system) changes
// nothing.
inline void BackWithMemory(const void* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  constexpr std::uintptr_t kPage = 4096;
  const auto start = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t first = (start + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t last = (start + bytes) & ~(kPage - 1);
  if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)data;
  (void)bytes;
#endif
}

// Both, for a block about to be filled whole.
inline void PrepareToFill(const void* data, std::size_t bytes) {
  AskForLargePages(data, bytes);
  BackWithMemory(data, bytes);
}

}  // namespace korvalo::viewer
