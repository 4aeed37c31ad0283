// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>

namespace quillet::test {

/**
 * Writes a VobSub pair (path and path with ".sub") holding one subtitle: a red box at
 * (40,180)-(279,219) on a 320x240 canvas, shown from 0.5 s for about 1 s.
 */
void WriteVobSub(const std::filesystem::path &idx);

} // namespace quillet::test
