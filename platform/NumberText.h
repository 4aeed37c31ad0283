// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

/**
 * Numbers as text in files and engine arguments, always with a '.' for the decimal point: the
 * window toolkit sets the process locale from the user's environment, and a German locale would
 * otherwise turn 128.0 into "128,000000" and read "29.97" as 29.
 */
namespace quillet::platform {

/// value with a fixed number of decimals, as printf's "%.<decimals>f" in the C locale.
std::string FormatFixed(double value, int decimals);

/// The leading number of text as strtod reads it in the C locale (blanks and a sign allowed);
/// 0 when text does not start with a number.
double ParseLeadingDouble(std::string_view text);

} // namespace quillet::platform
