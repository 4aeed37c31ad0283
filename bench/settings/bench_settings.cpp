// SPDX-License-Identifier: GPL-3.0-or-later
// The settings part of start-up on a settings file that holds many values (a file that other
// programs, or years of use, have filled), and one read of a value.
//
//   bench_settings [count]     (default 50000)
//
// Prints the time of the start-up's settings work, of one more read after it, and of a first
// read by another reader.
#include "app/ConverterApp.h"
#include "platform/AtomicFile.h"
#include "texts/LanguageTable.h"

#include "TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

using namespace quillet;
using Clock = std::chrono::steady_clock;

namespace {

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 50000;
    test::TempDir settings;
    test::TempDir program;
    const platform::SettingsStore store(settings.path());
    const std::string key = ConverterApp::kSettingsKey;

    // The values the converter reads come last, so a reader has to look through all the others.
    std::string text
        = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\" + key + "]\n";
    for (int i = 0; i < count; ++i)
        text += "\"value" + std::to_string(i) + "\"=\"some text of a value " + std::to_string(i)
            + "\"\n";
    text += "\"ConvertDir\"=\"" + program.file("out") + "/\"\n\"firstuse\"=dword:00000001\n";
    const auto file = store.FileFor(key);
    std::filesystem::create_directories(file.parent_path());
    if (!platform::ReplaceFileAtomically(file, text)) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }

    RegistryAccess registry{store};
    ConverterApp app(registry, program.path().string());
    LanguageTable languages;
    const auto start = Clock::now();
    app.StartUp(languages, 0x409);
    const double start_up_ms = Milliseconds(Clock::now() - start);

    // A read by the same program (the file is unchanged since start-up) and one by a program
    // that has not read the file yet.
    uint32_t first_use = 0;
    const auto read_start = Clock::now();
    const int found = app.Registry().ReadNumber(key, "firstuse", first_use);
    const double read_ms = Milliseconds(Clock::now() - read_start);
    uint32_t fresh_first_use = 0;
    const auto fresh_start = Clock::now();
    const int fresh_found = registry.ReadNumber(key, "firstuse", fresh_first_use);
    const double fresh_ms = Milliseconds(Clock::now() - fresh_start);
    if (!found || !fresh_found || first_use != 1 || fresh_first_use != 1
        || app.OutputFolder() != program.file("out") + "/") {
        std::fprintf(stderr, "the values were not read back\n");
        return 1;
    }

    std::printf("values in the file:    %d (%zu bytes)\n", count + 2, text.size());
    std::printf("start-up settings:     %.1f ms\n", start_up_ms);
    std::printf("one more read:         %.3f ms\n", read_ms);
    std::printf("first read elsewhere:  %.3f ms\n", fresh_ms);
    return 0;
}
