// SPDX-License-Identifier: GPL-3.0-or-later
// ferrule: adds one finished media file to the user's media library, then ends. The converter
// runs it as a profile's post-processing command with the output path as its argument.
#include "CommandTail.h"
#include "FolderLibraryLayer.h"
#include "ImporterApp.h"
#include "LibraryLocation.h"
#include "UserMessages.h"

#include <exception>
#include <span>

int main(int argc, char **argv)
{
    using namespace quillet::ferrule;
    const std::span<const char *const> arguments(argv, static_cast<size_t>(argc));
    std::unique_ptr<Messages> messages = MakeUserMessages(argc > 0 ? argv[0] : "ferrule");
    ImporterApp importer(
        [](const std::string &path) -> std::unique_ptr<AutomationLayer> {
            return std::make_unique<FolderLibraryLayer>(
                LocateLibraryFolder(path, SystemEnvironment()));
        },
        *messages);
    try {
        return static_cast<int>(importer.Start(JoinTail(arguments)));
    } catch (const std::exception &error) {
        messages->Warn(std::string("ferrule: ") + error.what());
        return static_cast<int>(ExitStatus::Failed);
    }
}
