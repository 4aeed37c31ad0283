// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OutputPath.h"

#include "platform/Paths.h"

namespace quillet {

std::string MakeUniqueOutputPath(const std::string &output_path, std::string_view source_path,
                                 const FileExistsFn &exists)
{
    for (unsigned n = 0;; ++n) {
        std::string candidate = NumberedOutputPath(output_path, source_path, n);
        if (!exists(candidate))
            return candidate;
    }
}

std::string NumberedOutputPath(const std::string &output_path, std::string_view source_path,
                               unsigned n)
{
    if (n == 0)
        return output_path;
    using namespace platform;
    std::string_view file = FileNameOf(output_path);
    const auto dot = file.rfind('.');
    std::string candidate(FolderOf(output_path));
    candidate += '/';
    candidate += StemOf(source_path);
    candidate += " (" + std::to_string(n) + ")";
    if (dot != std::string_view::npos)
        candidate += file.substr(dot);
    return candidate;
}

std::string OutputPathFor(std::string_view source_path, std::string_view output_folder,
                          std::string_view extension)
{
    std::string path(output_folder);
    path += platform::WithoutExtension(platform::FileNameOf(source_path));
    path += '.';
    path += extension;
    return path;
}

} // namespace quillet
