// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quillet {

using FileExistsFn = std::function<bool(const std::string &)>;

/**
 * An output path that names no existing file, so a conversion never replaces one. When a file
 * exists at output_path, the result is the output's folder + "/" + name + " (N)" + the output's
 * extension with its dot, for the first N = 1, 2, ... that names no file; name is the source
 * file's name without folder and extension.
 */
std::string MakeUniqueOutputPath(const std::string &output_path, std::string_view source_path,
                                 const FileExistsFn &exists);

/// The n-th name MakeUniqueOutputPath tries: output_path itself for n = 0, else the output's
/// folder + "/" + the source's name + " (n)" + the output's extension with its dot.
std::string NumberedOutputPath(const std::string &output_path, std::string_view source_path,
                               unsigned n);

/// output_folder (ending in '/') + the source's file name up to its last '.' + "." + extension.
std::string OutputPathFor(std::string_view source_path, std::string_view output_folder,
                          std::string_view extension);

} // namespace quillet
