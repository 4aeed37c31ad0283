// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace quillet::ferrule {

/// The command-line tail: the arguments after the program name joined by single spaces. The
/// converter passes the output path as one argument; a path with spaces typed by hand as several
/// words comes back together the same way.
/// @param arguments argv, the program name first
std::string JoinTail(std::span<const char *const> arguments);

/// Takes the quoting off a tail, the way the converter's post-process command writes it: with k
/// double quotes in front, the last k characters are cut whatever they are (the closing quote, or
/// the space the converter puts after every token), then any double quotes left at the end. The
/// cut never passes the start, so a tail of nothing but quotes gives an empty path.
/// @return the path
std::string RemoveQuoting(std::string_view tail);

} // namespace quillet::ferrule
