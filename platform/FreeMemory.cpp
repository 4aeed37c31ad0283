// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreeMemory.h"

#include <malloc.h>

#include <cstddef>

namespace quillet::platform {

namespace {

// What the allocator may keep free for the next run: handing back less costs more than it saves,
// because the next run faults the same pages in again (measured: about 2 ms a conversion of a
// tiny clip when every run trimmed).
constexpr std::size_t kKeptFreeBytes = std::size_t{32} * 1024 * 1024;

} // namespace

void ReturnFreeMemory()
{
    // glibc: mallinfo2 counts the free bytes of every arena; malloc_trim hands back whole free
    // pages of every arena, not only those at the top of the main one.
    if (::mallinfo2().fordblks > kKeptFreeBytes)
        ::malloc_trim(0);
}

} // namespace quillet::platform
