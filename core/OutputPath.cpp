// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OutputPath.h"

#include "platform/Paths.h"

namespace quillet {

std::string MakeUniqueOutputPath(const std::string &output_path, std::string_view source_path,
                                 const FileExistsFn &exists)
{
    if (!exists(output_path))
        return output_path;
    using namespace platform;
    const std::string folder(FolderOf(output_path));
    const std::string name(StemOf(source_path));
    std::string_view file = FileNameOf(output_path);
    auto dot = file.rfind('.');
    const std::string extension(dot == std::string_view::npos ? std::string_view()
                                                              : file.substr(dot));
    for (unsigned n = 1;; ++n) {
        std::string candidate = folder;
        candidate += '/';
        candidate += name;
        candidate += " (" + std::to_string(n) + ")";
        candidate += extension;
        if (!exists(candidate))
            return candidate;
    }
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
