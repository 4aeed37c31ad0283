// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <string_view>

namespace quillet {

/**
 * A filter in the classic file dialogs' form ("Text files(.txt)|*.txt;*.log|All files|*.*||":
 * description and patterns alternating, '|' between them, an empty description ending the list)
 * as Qt name filters ("Text files(.txt) (*.txt *.log)"), in the same order with the same
 * descriptions and patterns. "*.*" becomes "*": on the classic system it matches every file,
 * those without an extension too.
 */
QStringList QtNameFilters(std::string_view classic_filter);

} // namespace quillet
