// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/SubtitleChoice.h"

#include "platform/Paths.h"

#include <sys/stat.h>

#include <cstdio>

namespace quillet {

SubtitleChoice::SubtitleChoice(std::string working_path, std::vector<std::string> candidates)
    : m_working_path(std::move(working_path))
    , m_candidates(std::move(candidates))
{ }

std::vector<std::string> SubtitleChoice::RowTexts() const
{
    std::vector<std::string> rows;
    for (const auto &c : m_candidates) {
        // A candidate without any folder shows an empty row, as its name is what follows one.
        auto slash = c.rfind('/');
        rows.push_back(slash == std::string::npos ? std::string() : c.substr(slash + 1));
    }
    return rows;
}

void SubtitleChoice::SelectRow(int row)
{
    m_checked = -1;
    if (row < 0 || row >= static_cast<int>(m_candidates.size()))
        return;
    m_checked = row;
    m_working_path = m_candidates[static_cast<std::size_t>(row)];
}

void SubtitleChoice::ChooseFile(std::string path)
{
    m_working_path = std::move(path);
}

SubtitleChoice::OkResult SubtitleChoice::Ok() const
{
    if (m_working_path.empty())
        return OkResult::StayOpen;
    // The whole path is checked, however long it is; a folder is no subtitle file.
    struct stat st;
    if (::stat(m_working_path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return OkResult::CannotOpen;
    std::FILE *file = std::fopen(m_working_path.c_str(), "rb");
    if (!file)
        return OkResult::CannotOpen;
    std::fclose(file);
    return OkResult::Accept;
}

} // namespace quillet
