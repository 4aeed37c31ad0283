// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace quillet {

class ConverterApp;
class LanguageTable;
class MatroskaBinding;
class Prompter;
class VeneerBinding;

/**
 * The windowed program's life between the process-wide objects and the main window: the skin,
 * the Matroska library (a failure is told and start-up goes on), the texts, the dialog colours,
 * the engine, the settings and the language; then the main window runs modally, and the engine
 * is stopped when it is gone.
 */
class ProgramStartUp
{
public:
    static constexpr const char *kSkinName = "tesk_skin";
    /// Told when the Matroska track library cannot be used; start-up goes on without it.
    static constexpr const char *kMatroskaLoadFailed = "extractmkv dll load failed";

    ProgramStartUp(ConverterApp &app, LanguageTable &languages, MatroskaBinding &matroska,
                   VeneerBinding &veneer, Prompter &prompter);

    /// The library names, for tests that need one to be missing.
    void SetLibraryNames(std::string matroska, std::string veneer);

    /// Everything before the main window, in order; the engine is running afterwards.
    void StartUp(unsigned system_language_id);
    /// Stops the engine.
    void ShutDown();

    /// The command line's file arguments as absolute paths (file: addresses too); arguments
    /// starting with '-' are options until "--".
    static std::vector<std::string> FilesFromArguments(const std::vector<std::string> &arguments);

private:
    ConverterApp &m_app;
    LanguageTable &m_languages;
    MatroskaBinding &m_matroska;
    VeneerBinding &m_veneer;
    Prompter &m_prompter;
    std::string m_matroska_name = "mkvextract";
    std::string m_veneer_name = "veneer";
};

} // namespace quillet
