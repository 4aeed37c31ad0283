// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet::cli {

/// What the command line asks for.
struct CliOptions
{
    enum class Mode { Convert, ListProfiles, Probe, Help };
    Mode mode = Mode::Convert;

    std::string profile_file; ///< "FILE.ini" of --profile
    std::string profile_section; ///< "SECTION" of --profile
    std::string output_dir;
    bool merge = false;
    std::string split; ///< a split list entry text
    int split_size_mb = -1; ///< --split-size, -1 when not given
    std::vector<int> audio_tracks; ///< ordinals to keep (1-based as typed)
    std::string subtitle;
    bool extract_subtitles = false;
    bool disc = false;
    bool summary = false; ///< print each task's result after the run
    bool json = false; ///< print each task's result as one JSON object a line
    std::string queue_file; ///< --queue: where the batch's state is kept between runs
    std::vector<std::string> files;

    std::string error; ///< why the command line was refused; empty when it was fine
};

/// Parses the arguments (argv[0] is the program).
CliOptions ParseCliOptions(const std::vector<std::string> &args);

/// The --help text.
std::string UsageText();

} // namespace quillet::cli
