// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillet {

/**
 * The Subtitles dialog's working state: the subtitle file chosen for one task, the files
 * extracted from its source as candidates (listed by name, at most one checked), and the check
 * made before the choice is accepted.
 */
class SubtitleChoice
{
public:
    SubtitleChoice(std::string working_path, std::vector<std::string> candidates);

    const std::string &WorkingPath() const { return m_working_path; }
    const std::vector<std::string> &Candidates() const { return m_candidates; }
    /// The list's row texts: each candidate's file name.
    std::vector<std::string> RowTexts() const;
    /// The checked row, or -1.
    int CheckedRow() const { return m_checked; }

    /// A row was selected: only it is checked and its file becomes the working path. A row
    /// outside the list checks nothing and keeps the path.
    void SelectRow(int row);
    /// A file chosen through "...": it becomes the working path; the list is left as it is.
    void ChooseFile(std::string path);

    enum class OkResult { StayOpen, CannotOpen, Accept };
    /// OK pressed: an empty path keeps the dialog open; a file that cannot be read is refused.
    OkResult Ok() const;

    /// The message shown when the chosen file cannot be read.
    static constexpr const char *kCannotOpen = "Cannot open subtitle file";
    /// The open-file dialog's filter, as the classic dialog writes it.
    static constexpr const char *kFilter
        = "Support files(.srt .sub .ssa .ass .smi .psb .txt .idx .usf "
          ".xss)|*.srt;*.sub;*.ssa;*.ass;*smi;*.psb;*.txt;*.idx;*.usf;*.xss|All  files(*.*)|*.*||";

private:
    std::string m_working_path;
    std::vector<std::string> m_candidates;
    int m_checked = -1;
};

} // namespace quillet
