// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/Prompter.h"
#include "platform/OpticalDrives.h"

#include <functional>
#include <string>
#include <vector>

namespace quillet {

/**
 * Importing an AVCHD or Blu-ray disc: the video streams of every mounted optical disc (the files
 * of BDMV/STREAM whose names end in "ts", larger than 1000000 bytes) are added to the task list
 * as files are added.
 */
class DiscImport
{
public:
    static constexpr const char *kNoDrive = "No DVDROM can be found";
    static constexpr const char *kNoDisc = "Please insert AVCHD/Blu-ray disc into your DVDROM";
    static constexpr std::uintmax_t kMinimumStreamSize = 1000000;

    /// Adds one file to the task list and returns its row.
    using AddFileFn = std::function<int(const std::string &path)>;

    enum class Outcome { NoDrive, NoDisc, Found };

    struct Result
    {
        Outcome outcome = Outcome::NoDrive;
        int last_row = -1; ///< the row of the last file added
        std::vector<std::string> added;
    };

    /// Runs the import; tells the user when there is no drive or no disc.
    static Result Run(const platform::DriveSources &sources, const AddFileFn &add,
                      Prompter &prompter);

    /// The stream files of one disc root (ending in '/'), in the order the file system lists them.
    static std::vector<std::string> StreamFiles(const std::string &root);
};

} // namespace quillet
