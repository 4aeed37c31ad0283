// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CliOptions.h"

#include <string>

namespace quillet::cli {

/// Exit statuses of quillet-cli.
enum ExitStatus { kAllConverted = 0, kSomeFailed = 1, kBadUsage = 2, kCancelled = 130 };

/**
 * quillet-cli's work for one command line: lists profiles, probes files, or converts a batch with
 * the same core, profiles and rules as the main window.
 */
class CliApp
{
public:
    /// program_folder holds ini/ and language/ (the folder of the executable).
    explicit CliApp(std::string program_folder);
    int Run(const CliOptions &options);

private:
    int ListProfiles();
    int Probe(const CliOptions &options);
    int Convert(const CliOptions &options);

    std::string m_program_folder;
};

} // namespace quillet::cli
