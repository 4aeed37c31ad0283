// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's start and its task list under load.
//
//   bench_window [count]     (default 1000)
//
// Prints: the time from process start to the main window shown (target under 0.5 s), the
// resident memory of the idle window (target under 100 MB), and the time to add a folder of
// count media files to the window's list (target under 10 s for 1000); bench_add_folder gives
// the toolkit-free task list's own time for comparison. The window keeps its batch in a
// temporary state folder, as the program does: the adding is measured with the store attached,
// then the list's write on a change (target under 20 ms) and the restore of the kept list by a
// new window (target under 1 s). Runs on the display when there is one,
// else off-screen.
#include "MainDialog.h"
#include "MessageBoxPrompter.h"
#include "ProgramStartUp.h"
#include "VeneerBinding.h"
#include "app/ConverterApp.h"
#include "core/BatchStore.h"
#include "core/MatroskaBinding.h"
#include "core/TaskList.h"
#include "platform/SettingsStore.h"
#include "texts/LanguageTable.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTest>

#include <malloc.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quillet;
namespace fs = std::filesystem;

namespace {

/// Seconds since this process started, from the kernel's record of its start.
double SecondsSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    // Field 22 (start time in clock ticks after boot) counts from after the command name.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    for (int i = 3; i <= 22; ++i)
        fields >> field;
    const double started = std::stod(field) / double(sysconf(_SC_CLK_TCK));
    std::ifstream uptime("/proc/uptime");
    double now = 0;
    uptime >> now;
    return now - started;
}

long ResidentKib(const char *which)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(which, 0) == 0)
            return std::atol(line.c_str() + std::strlen(which));
    return -1;
}

/// Answers the offer of the kept batch with Restore.
class RestoringPrompter : public Prompter
{
public:
    void Tell(std::string_view text, std::string_view, Icon) override
    {
        std::fprintf(stderr, "told: %.*s\n", int(text.size()), text.data());
    }
    bool Ask(std::string_view, std::string_view) override { return true; }
};

/// Reports when the window first paints.
class FirstPaint : public QObject
{
public:
    double at = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && at < 0)
            at = SecondsSinceProcessStart();
        return false;
    }
};

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 1000;
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    test::TempDir settings;
    qputenv("QUILLET_SETTINGS_DIR", settings.path().c_str());

    LanguageTable &languages = TheLanguageTable();
    TaskList tasks;
    MatroskaBinding &matroska = TheMatroskaBinding();
    RegistryAccess registry{platform::SettingsStore(platform::SettingsStore::DefaultFolder())};
    registry.WriteNumber(ConverterApp::kSettingsKey, "firstuse", 1);
    ConverterApp app(registry, QUILLET_BUILD_PROGRAM_DIR);

    const double before_qt_s = SecondsSinceProcessStart();
    QApplication application(argc, argv);
    const double qt_s = SecondsSinceProcessStart();
    MessageBoxPrompter messages(nullptr);
    ProgramStartUp program(app, languages, matroska, TheVeneer(), messages);
    program.StartUp(0x0409);
    const double started_s = SecondsSinceProcessStart();
    MainDialog window(app, languages, tasks, matroska);
    const double built_s = SecondsSinceProcessStart();
    FirstPaint paint;
    window.installEventFilter(&paint);
    window.show();
    if (!QTest::qWaitFor([&] { return paint.at >= 0; }, 10000)) {
        std::fprintf(stderr, "the window never painted\n");
        return 1;
    }
    const double shown_s = paint.at;

    // Idle: the Add menu that opens by itself is closed, then the window waits a second.
    if (!QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }, 2000))
        std::fprintf(stderr, "the Add menu did not open by itself\n");
    if (QWidget *menu = QApplication::activePopupWidget())
        menu->close();
    QTest::qWait(1000);
    const long idle_kib = ResidentKib("VmRSS:");
    test::TempDir state;
    window.KeepBatch(state.path());

    // Folders of count media files: a few clips of different kinds, copied. Matroska files are
    // asked for their subtitle tracks when added, which costs a run of the Matroska tools each,
    // so they get a folder of their own.
    test::TempDir originals;
    std::vector<fs::path> kinds;
    for (const char *name : {"clip.mp4", "clip.ts", "clip.avi", "clip.mov", "clip.mkv"}) {
        test::ClipRecipe recipe;
        recipe.seconds = 5;
        recipe.width = 640;
        recipe.height = 360;
        if (std::string(name) == "clip.avi")
            recipe.audio_codec = "libmp3lame";
        if (std::string(name) == "clip.ts")
            recipe.video_codec = "mpeg2video";
        kinds.push_back(test::MakeClip(originals.path() / name, recipe));
    }
    test::TempDir media; // mp4, ts, avi, mov
    test::TempDir matroska_media; // mkv
    for (int i = 0; i < count; ++i) {
        const fs::path &from = kinds[std::size_t(i) % 4];
        fs::copy_file(from,
                      media.path() / ("clip" + std::to_string(i) + from.extension().string()));
        fs::copy_file(kinds[4], matroska_media.path() / ("clip" + std::to_string(i) + ".mkv"));
    }

    QElapsedTimer clock;
    clock.start();
    window.Controller().ScanFolder(media.path().string(), false);
    window.Controller().AfterListChange();
    window.repaint();
    QApplication::processEvents();
    const double add_s = clock.nsecsElapsed() * 1e-9;
    const long loaded_kib = ResidentKib("VmRSS:");
    const int added = tasks.Count();

    // A change of the listed batch: what the window's thread spends (a snapshot handed over)
    // and what the writer thread spends (encoding, writing, flushing, renaming).
    // Once what the adding left is written, and the store's second has passed (without events,
    // which could write again), a change is written at once.
    QTest::qWaitFor([&] { return !window.KeptBatch().TimeUntilDue(); }, 5000);
    window.KeptBatch().WaitUntilWritten();
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const uint64_t writes_before = window.KeptBatch().Figures().writes;
    const auto change_start = std::chrono::steady_clock::now();
    tasks.Move(0, 1);
    window.KeptBatch().NoteChange();
    window.KeptBatch().Poll();
    const auto change_handed = std::chrono::steady_clock::now();
    window.KeptBatch().WaitUntilWritten();
    const auto change_written = std::chrono::steady_clock::now();
    const double change_ui_ms
        = std::chrono::duration<double, std::milli>(change_handed - change_start).count();
    const double change_total_ms
        = std::chrono::duration<double, std::milli>(change_written - change_start).count();
    const BatchWriter::Statistics written = window.KeptBatch().Figures();
    if (written.writes != writes_before + 1)
        std::fprintf(stderr, "the change was not written (%llu writes before, %llu after)\n",
                     static_cast<unsigned long long>(writes_before),
                     static_cast<unsigned long long>(written.writes));
    window.KeptBatch().Close();
    window.Controller().RemoveAll();
    const long removed_kib = ResidentKib("VmRSS:");
    // What the C library keeps of freed memory (the probe's decoding buffers) goes back.
    malloc_trim(0);
    const long trimmed_kib = ResidentKib("VmRSS:");

    // Matroska files: the same list plus the subtitle offer's question to the track library.
    QElapsedTimer matroska_clock;
    matroska_clock.start();
    window.Controller().ScanFolder(matroska_media.path().string(), false);
    window.Controller().AfterListChange();
    window.repaint();
    QApplication::processEvents();
    const double matroska_s = matroska_clock.nsecsElapsed() * 1e-9;

    std::printf("platform:              %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("start to window shown: %.3f s (target under 0.5 s)\n", shown_s);
    std::printf("  of which: to main() %.3f, toolkit %.3f, start-up %.3f, window %.3f, "
                "first paint %.3f\n",
                before_qt_s, qt_s - before_qt_s, started_s - qt_s, built_s - started_s,
                shown_s - built_s);
    std::printf("idle memory (RSS):     %.1f MB (target under 100 MB)\n", idle_kib / 1024.0);
    std::printf("add folder to window:  %.3f s for %d files, %.2f ms per file (target under "
                "10 s for 1000)\n",
                add_s, added, add_s * 1000 / count);
    std::printf("memory with the list:  %.1f MB; %.1f MB after removing every task, %.1f MB once "
                "the C library has returned what it kept\n",
                loaded_kib / 1024.0, removed_kib / 1024.0, trimmed_kib / 1024.0);
    std::printf("add Matroska folder:   %.3f s for %d files, %.2f ms per file (%s)\n", matroska_s,
                tasks.Count(), matroska_s * 1000 / count,
                matroska.Loaded() ? "subtitle tracks asked of the track library"
                                  : "track library not loaded");
    window.Controller().RemoveAll();

    // A new window offered the kept list of count tasks, restored with its rows.
    TaskList restored_tasks;
    RestoringPrompter restoring;
    MainDialog restoring_window(app, languages, restored_tasks, matroska);
    restoring_window.SetPrompter(&restoring);
    QElapsedTimer restore_clock;
    restore_clock.start();
    restoring_window.KeepBatch(state.path());
    QApplication::processEvents();
    const double restore_s = restore_clock.nsecsElapsed() * 1e-9;
    std::printf("list write on a change: %.1f ms on the window's thread, %.1f ms until on disk "
                "(encode %.1f ms, write %.1f ms, %zu bytes) for %d tasks (target under 20 ms)\n",
                change_ui_ms, change_total_ms, written.last_encode_ms, written.last_write_ms,
                written.last_bytes, added);
    std::printf("restore at start-up:   %.3f s for %d tasks (target under 1 s)\n", restore_s,
                restored_tasks.Count());
    restoring_window.KeptBatch().Close();
    restoring_window.Controller().RemoveAll();
    program.ShutDown();
    return added == count && tasks.Count() == 0 && restored_tasks.Count() == count ? 0 : 1;
}
