// SPDX-License-Identifier: GPL-3.0-or-later
// quillet: the windowed converter. `quillet [FILE...]` starts with the files in the task list.
#include "MainDialog.h"
#include "MessageBoxPrompter.h"
#include "ProgramStartUp.h"
#include "SkinResources.h"
#include "VeneerBinding.h"
#include "app/ConverterApp.h"
#include "core/MatroskaBinding.h"
#include "core/TaskList.h"
#include "platform/BaseDirectories.h"
#include "platform/Paths.h"
#include "platform/SettingsStore.h"
#include "platform/SystemLanguage.h"
#include "texts/LanguageTable.h"

#include <QApplication>

#include <iostream>

using namespace quillet;

int main(int argc, char **argv)
{
    // The process-wide objects, in the order the program relies on: the language table, the
    // task list, the Matroska library's binding, then the application object. They go in the
    // reverse order when main returns.
    LanguageTable &languages = TheLanguageTable();
    TaskList tasks;
    MatroskaBinding &matroska = TheMatroskaBinding();
    ConverterApp app(
        RegistryAccess(platform::SettingsStore(platform::SettingsStore::DefaultFolder())),
        platform::ProgramFolder());

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet"));
    QApplication::setDesktopFileName(QStringLiteral("quillet"));
    // Every window, message boxes included, carries the program's icon.
    QApplication::setWindowIcon(SkinResources::ProgramIcon());
    std::vector<std::string> arguments(argv + 1, argv + argc);

    MessageBoxPrompter start_messages(nullptr, QString::fromStdString(app.DisplayName()));
    // An installed program folder is read-only: profiles and outputs then go to the per-user
    // stand-in. What could not be set up is said on standard error (the journal of a desktop
    // session); the program still starts with what it can read.
    const platform::DataFolderChoice data = app.ChooseDataFolder(platform::UserDataHome());
    if (!data.error.empty())
        std::cerr << "quillet: " << data.error << '\n';
    ProgramStartUp program(app, languages, matroska, TheVeneer(), start_messages);
    program.StartUp(platform::SystemLanguageId());
    {
        MainDialog window(app, languages, tasks, matroska);
        // The offer of a kept batch is asked over the window, before the start files join.
        window.show();
        if (const auto state = platform::StateHome())
            window.KeepBatch(std::filesystem::path(*state) / "quillet");
        else
            std::cerr << "quillet: the task list is not kept: "
                      << platform::NoHomeReason("XDG_STATE_HOME") << '\n';
        window.AddStartFiles(ProgramStartUp::FilesFromArguments(arguments));
        window.exec();
    }
    // Shutdown: the engine stops, then the process-wide objects go in the reverse of their
    // making: the Matroska library is freed before the tasks are deleted.
    program.ShutDown();
    matroska.Unload();
    tasks.Clear();
    return 0;
}
