// SPDX-License-Identifier: GPL-3.0-or-later
#include "StagingFolder.h"

#include "MkvError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <system_error>
#include <vector>

namespace mkvextract {

StagingFolder::StagingFolder(const std::filesystem::path &folder)
{
    const std::string pattern = (folder / ".mkvextract.part-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) {
        throw MkvError(MkvFailure::ExtractionFailed,
                       "cannot create a working folder in " + folder.string() + ": "
                           + std::strerror(errno));
    }
    m_path = buffer.data();
}

StagingFolder::~StagingFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

} // namespace mkvextract
