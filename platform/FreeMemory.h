// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet::platform {

/**
 * Hands the memory the allocator holds free back to the system once it is more than a run is
 * likely to need again. An engine run allocates its frames and encoder state on threads of its
 * own and frees them when it ends, but the allocator keeps freed pages in the arena of the thread
 * that used them, so over a batch of thousands of conversions the process would keep the largest
 * run's memory once per arena.
 */
void ReturnFreeMemory();

} // namespace quillet::platform
