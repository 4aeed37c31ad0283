// SPDX-License-Identifier: GPL-3.0-or-later
// quillet-cli: the converter without windows, for terminals and scripts.
#include "cli/CliApp.h"
#include "platform/Paths.h"

#include <dolmar.h>

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv, argv + argc);
    VCInit();
    quillet::cli::CliApp app(quillet::platform::ProgramFolder());
    const int status = app.Run(quillet::cli::ParseCliOptions(args));
    VCExit();
    return status;
}
