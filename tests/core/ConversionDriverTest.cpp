// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ConversionDriver.h"

#include "platform/OutputClaim.h"
#include "texts/LanguageTable.h"

#include "DriverFixtures.h"
#include "TaskFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

using namespace quillet;
using quillet::test::FakeEngine;
using quillet::test::MakeProbedTask;
using quillet::test::TempDir;
using Fixture = quillet::test::DriverFixture;

TEST(ConversionDriver, convertsEveryTaskAndRunsItsPostProcess)
{
    Fixture f;
    f.AddTask("one").settings.BurnType = "DVD";
    f.AddTask("two");
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_TRUE(outcome.started);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.outputs,
              (std::vector<std::string>{f.out.file("one.mp4"), f.out.file("two.mp4")}));
    EXPECT_EQ(f.post_processed, outcome.outputs);
    EXPECT_EQ(outcome.burn_type, "DVD");
    EXPECT_EQ(f.observer.shown, (std::vector<std::string>{f.out.file("two.mp4")}));
    EXPECT_EQ(f.observer.converting, (std::vector<bool>{true, false}));
    ASSERT_GE(f.observer.command_lines.size(), 2u);
    EXPECT_EQ(f.observer.command_lines[0].rfind("ffmain -i /in/one.avi ", 0), 0u);
    EXPECT_TRUE(f.observer.told.empty());
    // Progress went through the pump on every report, and the line at most every 500 ms.
    EXPECT_EQ(f.observer.pumps, 10);
    EXPECT_NE(std::find(f.observer.progress.begin(), f.observer.progress.end(), 20),
              f.observer.progress.end());
    EXPECT_FALSE(f.driver.Converting());
}

TEST(ConversionDriver, cancelStopsTheBatchAndKeepsNothingHalfMade)
{
    Fixture f;
    f.AddTask("first");
    f.AddTask("second");
    f.AddTask("third");
    f.observer.on_pump = [&] {
        if (f.engine.runs == 1 && f.observer.pumps == 2)
            f.driver.RequestCancel();
    };
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(f.engine.runs, 1);
    EXPECT_TRUE(f.post_processed.empty());
    EXPECT_TRUE(outcome.outputs.empty());
    EXPECT_TRUE(f.observer.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(f.out.file("first.mp4")));
    EXPECT_TRUE(std::filesystem::is_empty(f.out.path()));
    EXPECT_TRUE(f.observer.told.empty());

    // The next run starts afresh.
    f.observer.on_pump = nullptr;
    outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(outcome.outputs.size(), 3u);
}

TEST(ConversionDriver, aFailedTaskIsReportedAndTheBatchGoesOn)
{
    Fixture f;
    f.AddTask("a");
    f.AddTask("broken");
    f.AddTask("c");
    f.AddTask("silent");
    f.engine.fail_for["/in/broken.avi"] = DOLMAR_FAILED;
    f.engine.fail_for["/in/silent.avi"] = DOLMAR_OK; // says OK, writes nothing
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(outcome.outputs,
              (std::vector<std::string>{f.out.file("a.mp4"), f.out.file("c.mp4")}));
    EXPECT_EQ(f.post_processed, outcome.outputs);
    ASSERT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(outcome.failures[0].source, "/in/broken.avi");
    EXPECT_EQ(outcome.failures[0].reason, "Cannot decode the input: invalid data");
    EXPECT_EQ(outcome.failures[1].reason, "no output file was written");
    EXPECT_FALSE(std::filesystem::exists(f.out.file("broken.mp4")));
    ASSERT_EQ(f.observer.told.size(), 1u);
    EXPECT_NE(f.observer.told[0].find("broken.avi: Cannot decode the input"), std::string::npos);
    EXPECT_NE(f.observer.told[0].find("silent.avi: no output file"), std::string::npos);
    EXPECT_EQ(f.observer.shown, (std::vector<std::string>{f.out.file("c.mp4")}));
}

TEST(ConversionDriver, theRunsOwnMessagesComeInTheUsersLanguage)
{
    struct Case
    {
        const char *language;
        std::vector<std::string> lines; ///< the message, line by line
    };
    const Case cases[] = {
        {"Deutsch (German)",
         {"Diese Dateien konnten nicht konvertiert werden:", "",
          std::string("a.mp4: konvertiert, aber der Nachbearbeitungsbefehl wurde nicht ")
              + "ausgeführt: cannot start ferrule: No such file or directory",
          "silent.avi: es wurde keine Ausgabedatei geschrieben",
          "quiet.avi: die Konvertierung ist fehlgeschlagen (Rückgabewert -1)"}},
        {"Français (French)",
         {"Ces fichiers n'ont pas pu être convertis :", "",
          std::string("a.mp4: converti, mais la commande de post-traitement n'a pas été ")
              + "exécutée : cannot start ferrule: No such file or directory",
          "silent.avi: aucun fichier de sortie n'a été écrit",
          "quiet.avi: la conversion a échoué (code de retour -1)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.language);
        LanguageTable languages;
        languages.ScanLanguageFolder(std::string(QUILLET_SOURCE_DIR) + "/resources/language/");
        languages.SelectLanguage(c.language);
        ASSERT_FALSE(languages.CurrentLanguageFile().empty());
        Fixture f(languages);
        f.AddTask("a");
        f.AddTask("silent");
        f.AddTask("quiet");
        f.post_process_fails.insert(f.out.file("a.mp4"));
        f.engine.fail_for["/in/silent.avi"] = DOLMAR_OK; // says OK, writes nothing
        f.engine.fail_for["/in/quiet.avi"] = DOLMAR_FAILED;
        f.engine.fail_quietly.insert("/in/quiet.avi");
        f.driver.Convert(f.tasks, f.request);
        ASSERT_EQ(f.observer.told.size(), 1u);
        std::vector<std::string> lines;
        std::istringstream told(f.observer.told[0]);
        for (std::string line; std::getline(told, line);)
            lines.push_back(line);
        EXPECT_EQ(lines, c.lines);

        // The disc-size message is a fixed English text in every language.
        f.request.current_profile.profile_path = "/ini/paldvd.ini";
        f.request.split_choice = "DVD-5 (4.7GB)";
        f.request.total_estimated_mb = 5000;
        f.driver.Convert(f.tasks, f.request);
        ASSERT_EQ(f.observer.told.size(), 2u);
        EXPECT_EQ(f.observer.told[1], ConversionDriver::kDiscTooSmall);
    }
}

TEST(ConversionDriver, discSizeCheckRefusesAnEstimateBeyondTheDisc)
{
    Fixture f;
    f.AddTask("movie");
    f.request.current_profile.profile_path = "/ini/ntscdvd.ini";
    f.request.split_choice = "DVD-5 (4.7GB)";
    f.request.total_estimated_mb = 4200.5;
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_FALSE(outcome.started);
    EXPECT_EQ(f.engine.runs, 0);
    ASSERT_EQ(f.observer.told.size(), 1u);
    EXPECT_EQ(f.observer.told[0],
              "The calculated output file size is larger than selected media "
              "size.\nYou can make some changes in profiles, media type or "
              "media file(s). ");
    EXPECT_EQ(f.observer.captions[0], "tesk");
    EXPECT_TRUE(f.observer.converting.empty());

    f.request.total_estimated_mb = 4200;
    EXPECT_TRUE(f.driver.Convert(f.tasks, f.request).started);
    EXPECT_EQ(f.engine.runs, 1);

    // Outside the disc family the size is not checked.
    f.request.current_profile.profile_path = "/ini/ipadh264.ini";
    f.request.total_estimated_mb = 99999;
    EXPECT_TRUE(f.driver.Convert(f.tasks, f.request).started);
}

// An estimate beyond the disc once ended a disc batch that lower rates fit: it is planned now.
TEST(ConversionDriver, aDiscBatchBeyondTheDiscAtItsOwnRatesIsPlannedOntoItNotRefused)
{
    Fixture f;
    f.request.current_profile.profile_path = "/ini/paldvd.ini";
    f.request.current_profile.Para = "-fs";
    f.request.split_choice = "DVD-5 (4.7GB)";
    f.request.total_estimated_mb = 5000;
    f.AddTask("one").settings.Para = "-fs";
    f.tasks.Get(0)->settings.profile_path = "/ini/paldvd.ini";
    EXPECT_TRUE(f.driver.Convert(f.tasks, f.request).started);
    EXPECT_EQ(f.engine.runs, 1);
    for (const std::string &told : f.observer.told)
        EXPECT_NE(told, ConversionDriver::kDiscTooSmall);
}

TEST(ConversionDriver, discRunsShareTheDiscBetweenTheirOutputs)
{
    Fixture f;
    f.request.current_profile.profile_path = "/ini/paldvd.ini";
    f.request.split_choice = "DVD-5 (4.7GB)";
    f.AddTask("one").settings.Para = "-fs";
    f.AddTask("two").settings.Para = "-fs";
    for (const auto &t : f.tasks)
        t->settings.profile_path = "/ini/paldvd.ini";
    // Each output's size is counted before the next is built, whatever the user allowed.
    f.request.simultaneous_jobs = 3;
    // The fake output is 7 bytes: the running total stays 0 KiB, so make the first one larger.
    f.driver.SetPostProcessRunner(
        [&](const std::string &output, std::string_view, const std::string &, const StopRequest &) {
            std::ofstream(output) << std::string(std::size_t{10} * 1024, 'x');
            return PostProcessResult{true, 0, {}, {}};
        });
    f.driver.Convert(f.tasks, f.request);
    ASSERT_EQ(f.engine.seen.size(), 2u);
    auto limit = [](const std::vector<std::string> &args) {
        return *(std::find(args.begin(), args.end(), "-fs") + 1);
    };
    EXPECT_EQ(limit(f.engine.seen[0]), "4200000");
    EXPECT_EQ(limit(f.engine.seen[1]), "4199990");
}

// The check named no file, and refused a clip without sound that the engine joins with silence.
TEST(ConversionDriver, mergeCheckNamesTheFileItRefusesAndLetsASilentClipJoin)
{
    Fixture f;
    f.request.merge = true;
    struct Case
    {
        std::vector<std::pair<int, bool>> tasks; ///< audio streams and video of each
        std::string told;
    };
    const Case cases[] = {
        {{{1, false}, {1, true}},
         "Cannot merge: t0.mp3 has no picture, and the other files are videos"},
        {{{1, true}, {0, false}}, "Cannot merge: no picture or sound could be read from t1.mp3"},
        {{{0, true}, {1, true}}, ""},
        {{{1, true}, {0, true}}, ""},
        {{{0, true}, {0, true}}, ""},
    };
    for (const Case &c : cases) {
        TaskList tasks;
        for (std::size_t i = 0; i < c.tasks.size(); ++i)
            tasks.Add(MakeProbedTask("/in/t" + std::to_string(i) + ".mp3",
                                     f.out.file("t" + std::to_string(i) + ".mp4"), c.tasks[i].first,
                                     c.tasks[i].second));
        f.observer.told.clear();
        const bool started = f.driver.Convert(tasks, f.request).started;
        EXPECT_EQ(started, c.told.empty()) << c.told;
        EXPECT_EQ(f.observer.told.empty() ? "" : f.observer.told.front(), c.told);
    }
    // A file the probe could not open has all its facts zero, which read as a video stream.
    TaskList broken;
    broken.Add(MakeProbedTask("/in/a.avi", "", 1, true));
    broken.Add(std::make_unique<Task>());
    broken.Get(1)->source_path = "/in/broken.avi";
    f.observer.told.clear();
    EXPECT_FALSE(f.driver.Convert(broken, f.request).started);
    EXPECT_EQ(f.observer.told,
              std::vector<std::string>{
                  "Cannot merge: no picture or sound could be read from broken.avi"});
}

TEST(ConversionDriver, mergedRunMakesOneUniqueOutput)
{
    Fixture f;
    f.request.merge = true;
    f.request.current_profile.TargetType = "mp4";
    f.request.current_profile.PostProcess = "\"./ferrule\" \"%out\"";
    f.AddTask("a");
    f.AddTask("b");
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    ASSERT_EQ(outcome.outputs.size(), 1u);
    EXPECT_EQ(outcome.outputs[0], f.out.file("a (joined).mp4"));
    EXPECT_EQ(f.engine.runs, 1);
    EXPECT_EQ(f.post_processed, outcome.outputs);

    // A single task with the merge box ticked converts on its own.
    TaskList one;
    one.Add(MakeProbedTask("/in/x.avi", f.out.file("x.mp4")));
    outcome = f.driver.Convert(one, f.request);
    EXPECT_EQ(outcome.outputs, (std::vector<std::string>{f.out.file("x.mp4")}));
}

TEST(ConversionDriver, convertIsIgnoredWhileARunIsGoingOn)
{
    Fixture f;
    f.AddTask("a");
    bool inner_started = true;
    f.observer.on_pump = [&] {
        if (f.observer.pumps == 1)
            inner_started = f.driver.Convert(f.tasks, f.request).started;
    };
    f.driver.Convert(f.tasks, f.request);
    EXPECT_FALSE(inner_started);
    EXPECT_EQ(f.engine.runs, 1);
}

// The engine writes a hidden file beside the final name; the final name only ever holds a
// finished output, and a name that another program takes meanwhile is left to it.
TEST(ConversionDriver, writesUnderATemporaryNameAndNeverReplacesOrDeletesAnotherFile)
{
    Fixture f;
    f.AddTask("clip");
    f.AddTask("broken");
    f.engine.fail_for["/in/broken.avi"] = DOLMAR_FAILED;
    std::vector<std::string> engine_outputs;
    bool final_name_empty_during_run = true;
    f.engine.during_run = [&](const std::string &output) {
        engine_outputs.push_back(output);
        if (output.find("clip") != std::string::npos) {
            final_name_empty_during_run = !std::filesystem::exists(f.out.file("clip.mp4"));
            // Another program takes the name while this run converts.
            std::ofstream(f.out.file("clip.mp4")) << "someone else's";
        } else {
            std::ofstream(f.out.file("broken.mp4")) << "someone else's too";
        }
    };
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);

    ASSERT_EQ(engine_outputs.size(), 2u);
    const std::filesystem::path engine_output = engine_outputs[0];
    EXPECT_EQ(engine_output.parent_path(), f.out.path());
    EXPECT_EQ(engine_output.filename().string().front(), '.');
    EXPECT_EQ(engine_output.extension(), ".mp4");
    EXPECT_TRUE(final_name_empty_during_run);

    EXPECT_EQ(outcome.outputs, (std::vector<std::string>{f.out.file("clip (1).mp4")}));
    EXPECT_EQ(f.tasks.Get(0)->destination_path, f.out.file("clip (1).mp4"));
    EXPECT_EQ(f.observer.finished, outcome.outputs);
    EXPECT_EQ(quillet::test::ReadFile(f.out.file("clip (1).mp4")), "partial");
    EXPECT_EQ(quillet::test::ReadFile(f.out.file("clip.mp4")), "someone else's");
    // The failed run removed its own file only.
    EXPECT_EQ(quillet::test::ReadFile(f.out.file("broken.mp4")), "someone else's too");
    std::set<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator(f.out.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"clip.mp4", "clip (1).mp4", "broken.mp4"}));
}

TEST(ConversionDriver, aFailedPostProcessAndAFailedPreparationAreFailures)
{
    Fixture f;
    f.AddTask("imported");
    f.AddTask("refused");
    f.AddTask("unprepared").preparation_failure = "its tracks could not be read";
    f.post_process_status[f.out.file("refused.mp4")] = 4;
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);

    EXPECT_EQ(f.engine.runs, 2);
    EXPECT_EQ(outcome.outputs,
              (std::vector<std::string>{f.out.file("imported.mp4"), f.out.file("refused.mp4")}));
    ASSERT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(outcome.failures[0].source, f.out.file("refused.mp4"));
    EXPECT_EQ(outcome.failures[0].reason,
              "converted, but the post-processing command failed (status 4)");
    EXPECT_EQ(outcome.failures[1].source, "/in/unprepared.avi");
    EXPECT_EQ(outcome.failures[1].reason, "its tracks could not be read");
    ASSERT_EQ(f.observer.told.size(), 1u);
    EXPECT_NE(f.observer.told[0].find("refused.mp4: converted, but"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(f.out.file("unprepared.mp4")));

    // A merged run with a task that failed its preparation makes nothing.
    f.request.merge = true;
    f.request.current_profile.TargetType = "mp4";
    outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(f.engine.runs, 2);
    EXPECT_TRUE(outcome.outputs.empty());
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].reason, "its tracks could not be read");
}

namespace {

using Status = TaskResult::Status;

void ExpectResult(const TaskResult &result, const std::string &source, const std::string &output,
                  Status status, const std::string &reason, double seconds)
{
    SCOPED_TRACE(source);
    EXPECT_EQ(result.source, source);
    EXPECT_EQ(result.output, output);
    EXPECT_EQ(StatusName(result.status), StatusName(status));
    EXPECT_EQ(result.reason, reason);
    EXPECT_DOUBLE_EQ(result.seconds, seconds);
}

} // namespace

TEST(ConversionDriver, eachTaskHasItsResultInTheListsOrder)
{
    Fixture f;
    f.AddTask("made");
    f.AddTask("broken");
    f.AddTask("unprepared").preparation_failure = "its tracks could not be read";
    f.AddTask("refused");
    f.AddTask("unstarted");
    f.engine.fail_for["/in/broken.avi"] = DOLMAR_FAILED;
    f.post_process_status[f.out.file("refused.mp4")] = 4;
    f.post_process_fails.insert(f.out.file("unstarted.mp4"));
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);

    ASSERT_EQ(outcome.results.size(), 5u);
    // The fake engine's clock moves 0.6 s per report, five reports per made output.
    ExpectResult(outcome.results[0], "/in/made.avi", f.out.file("made.mp4"), Status::Made, "", 3.0);
    ExpectResult(outcome.results[1], "/in/broken.avi", "", Status::Failed,
                 "Cannot decode the input: invalid data", 0);
    ExpectResult(outcome.results[2], "/in/unprepared.avi", "", Status::Failed,
                 "its tracks could not be read", 0);
    ExpectResult(outcome.results[3], "/in/refused.avi", f.out.file("refused.mp4"),
                 Status::PostProcessFailed,
                 "converted, but the post-processing command failed (status 4)", 3.0);
    EXPECT_EQ(outcome.results[4].status, Status::PostProcessFailed);
    EXPECT_NE(outcome.results[4].reason.find("cannot start ferrule"), std::string::npos);
    EXPECT_EQ(outcome.results[4].output, f.out.file("unstarted.mp4"));

    // A second run starts with no results of the first.
    outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(outcome.results.size(), 5u);
}

TEST(ConversionDriver, cancelledAndUnstartedTasksAreCancelled)
{
    Fixture f;
    f.AddTask("first");
    f.AddTask("second");
    f.AddTask("third");
    f.observer.on_pump = [&] {
        if (f.engine.runs == 2 && f.observer.pumps == 7)
            f.driver.RequestCancel();
    };
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    ASSERT_TRUE(outcome.cancelled);
    ASSERT_EQ(outcome.results.size(), 3u);
    ExpectResult(outcome.results[0], "/in/first.avi", f.out.file("first.mp4"), Status::Made, "",
                 3.0);
    // Stopped during its second report: two reports' time, no output, no reason.
    ExpectResult(outcome.results[1], "/in/second.avi", "", Status::Cancelled, "", 1.2);
    ExpectResult(outcome.results[2], "/in/third.avi", "", Status::Cancelled, "", 0);

    // A run refused before it starts has no results.
    Fixture refused;
    refused.request.merge = true;
    refused.tasks.Add(MakeProbedTask("/in/song.mp3", "", 1, false));
    refused.tasks.Add(MakeProbedTask("/in/film.avi", "", 1, true));
    EXPECT_TRUE(refused.driver.Convert(refused.tasks, refused.request).results.empty());
}

TEST(ConversionDriver, everyTaskOfAMergedRunSharesItsResult)
{
    Fixture f;
    f.request.merge = true;
    f.request.current_profile.TargetType = "mp4";
    f.request.current_profile.PostProcess = "\"./ferrule\" \"%out\"";
    f.AddTask("a");
    f.AddTask("b");
    RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    ASSERT_EQ(outcome.outputs.size(), 1u);
    ASSERT_EQ(outcome.results.size(), 2u);
    ExpectResult(outcome.results[0], "/in/a.avi", outcome.outputs[0], Status::Made, "", 3.0);
    ExpectResult(outcome.results[1], "/in/b.avi", outcome.outputs[0], Status::Made, "", 3.0);

    // A failing preparation names the file whose preparation failed on every row.
    f.tasks.Get(1)->preparation_failure = "its tracks could not be read";
    outcome = f.driver.Convert(f.tasks, f.request);
    ASSERT_EQ(outcome.results.size(), 2u);
    for (const TaskResult &result : outcome.results) {
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_EQ(result.reason, "b.avi: its tracks could not be read");
        EXPECT_TRUE(result.output.empty());
    }
}

// The engine reads a source that is cut short as if it ended there, and one that is removed to its
// end through the descriptor it holds; only the file can tell. A source that only grows (a
// recording still being written) converts what was there.
TEST(ConversionDriver, aSourceThatChangesWhileItIsReadFailsAndLeavesNothing)
{
    struct Case
    {
        const char *what;
        std::function<void(const std::filesystem::path &)> change;
        Status status;
    };
    const auto sized = [](std::uintmax_t size) {
        return [size](const std::filesystem::path &source) {
            std::filesystem::resize_file(source, size);
        };
    };
    const Case cases[] = {
        {"cut to a third", sized(100), Status::Failed},
        {"cut to nothing", sized(0), Status::Failed},
        {"removed", [](const auto &source) { std::filesystem::remove(source); }, Status::Failed},
        {"rewritten to the same size",
         [](const auto &source) {
             std::ofstream(source) << std::string(300, 'y');
             std::filesystem::last_write_time(
                 source, std::filesystem::last_write_time(source) + std::chrono::seconds(1));
         },
         Status::Failed},
        {"grown", sized(900), Status::Made},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        TempDir in;
        const auto source = quillet::test::WriteFile(in.path() / "film.avi", std::string(300, 'x'));
        f.tasks.Add(MakeProbedTask(source.string(), f.out.file("film.mp4")));
        f.engine.during_run = [&](const std::string &) { c.change(source); };
        const RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
        ASSERT_EQ(outcome.results.size(), 1u);
        EXPECT_EQ(StatusName(outcome.results[0].status), StatusName(c.status));
        if (c.status == Status::Failed) {
            EXPECT_EQ(outcome.results[0].reason, "the file changed while it was converted");
            EXPECT_TRUE(std::filesystem::is_empty(f.out.path()));
            EXPECT_TRUE(f.post_processed.empty());
        }
    }
}

TEST(ConversionDriver, cancelDuringAMergedRunOrAsTheEngineFinishesKeepsNothing)
{
    Fixture merged;
    merged.request.merge = true;
    merged.request.current_profile.TargetType = "mp4";
    merged.AddTask("a");
    merged.AddTask("b");
    merged.observer.on_pump = [&] { merged.driver.RequestCancel(); };
    RunOutcome outcome = merged.driver.Convert(merged.tasks, merged.request);
    EXPECT_TRUE(outcome.cancelled);
    ASSERT_EQ(outcome.results.size(), 2u);
    for (const TaskResult &result : outcome.results)
        EXPECT_EQ(result.status, Status::Cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(merged.out.path()));

    // Cancel pressed during the last report, which the engine no longer answers: its output is
    // complete, but the user asked for nothing more, so it goes and nothing else runs.
    Fixture late;
    late.AddTask("first");
    late.AddTask("second");
    late.observer.on_pump = [&] {
        if (late.observer.pumps == late.engine.reports_per_run)
            late.driver.RequestCancel();
    };
    late.engine.reports_per_run = 5;
    late.engine.ignores_cancel = true;
    outcome = late.driver.Convert(late.tasks, late.request);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(late.engine.runs, 1);
    EXPECT_TRUE(outcome.outputs.empty());
    EXPECT_TRUE(late.post_processed.empty());
    EXPECT_EQ(outcome.results[0].status, Status::Cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(late.out.path()));
}

// Cancel (or Ctrl+C) while a post-processing command runs stops the command and the batch; the
// output it ran on is whole and stays.
TEST(ConversionDriver, cancelWhilePostProcessingStopsTheCommandAndTheBatch)
{
    Fixture f;
    f.AddTask("first");
    f.AddTask("second");
    int asked = 0;
    f.driver.SetPostProcessRunner(
        [&](const std::string &, std::string_view, const std::string &, const StopRequest &stop) {
            PostProcessResult result{true, 128 + 15, "ferrule", {}, false};
            while (!result.stopped)
                result.stopped = (++asked, stop());
            return result;
        });
    f.observer.on_pump = [&] {
        if (asked == 2)
            f.driver.RequestCancel();
    };
    const RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_EQ(f.engine.runs, 1);
    EXPECT_EQ(outcome.outputs, (std::vector<std::string>{f.out.file("first.mp4")}));
    EXPECT_TRUE(f.observer.told.empty()) << "a cancel is no failure";
    ExpectResult(outcome.results[0], "/in/first.avi", f.out.file("first.mp4"), Status::Cancelled,
                 "", 3.0);
    EXPECT_EQ(outcome.results[1].status, Status::Cancelled);
}

// A frame rate no clip can be converted at is refused before anything is claimed, naming the
// profile's key and value, as the engine names the values it refuses.
TEST(ConversionDriver, anAbsurdFrameRateInTheProfileIsRefusedBeforeConverting)
{
    struct Case
    {
        float rate;
        int custom;
        bool refused;
    };
    const Case cases[] = {
        {0.001f, 1, true},        {0, 1, true},  {-25, 1, true},     {1001, 1, true},
        {std::nanf(""), 1, true}, {1, 1, false}, {29.97f, 1, false}, {1000, 1, false},
        {0.001f, 0, false}, // not used: the source's rate is kept
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rate);
        Fixture f;
        Task &task = f.AddTask("clip");
        task.settings.section_name = "Slow motion";
        task.settings.bVideoCustomFrameRate = c.custom;
        task.settings.nVideoCustomFrameRate = c.rate;
        const RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
        EXPECT_EQ(f.engine.runs, c.refused ? 0 : 1);
        if (c.refused) {
            char value[32];
            std::snprintf(value, sizeof value, "%g", static_cast<double>(c.rate));
            EXPECT_EQ(outcome.results[0].reason,
                      std::string("the value \"") + value
                          + "\" of nVideoCustomFrameRate in the profile \"Slow motion\" is not a "
                            "frame rate between 1 and 1000");
            EXPECT_TRUE(std::filesystem::is_empty(f.out.path()));
        }
    }
}

// The claim's commit fails (a disk error on the flush, a file system that refuses the name): the
// task fails with the reason and nothing is left, hidden or not.
TEST(ConversionDriver, anOutputThatCannotBeNamedFailsItsTask)
{
    Fixture f;
    f.AddTask("clip");
    const platform::CommitSteps normal = platform::OutputClaim::DefaultCommitSteps();
    platform::OutputClaim::SetCommitSteps({[](int) { return EIO; }, normal.rename});
    const RunOutcome outcome = f.driver.Convert(f.tasks, f.request);
    platform::OutputClaim::SetCommitSteps(normal);
    EXPECT_EQ(outcome.results[0].status, Status::Failed);
    EXPECT_NE(outcome.results[0].reason.find("Input/output error"), std::string::npos)
        << outcome.results[0].reason;
    EXPECT_TRUE(f.post_processed.empty());
    EXPECT_TRUE(std::filesystem::is_empty(f.out.path()));
}

// The clock moves 0.6 s a report, five reports a 5 s task: once the first is made, the batch
// knows the second will take what the first took, and says so before it starts.
TEST(ConversionDriver, progressAndTimeLeftAreTheWholeBatchs)
{
    Fixture f;
    f.AddTask("one");
    f.AddTask("two");
    f.driver.Convert(f.tasks, f.request);
    const auto &seen = f.observer.run_progress;
    ASSERT_FALSE(seen.empty());
    for (std::size_t i = 1; i < seen.size(); ++i)
        EXPECT_GE(seen[i].percent, seen[i - 1].percent);
    const auto after_first = std::find_if(seen.begin(), seen.end(), [&](const RunProgress &p) {
        return p.outputs.empty() && p.seconds_left && *p.seconds_left > 0;
    });
    ASSERT_NE(after_first, seen.end());
    EXPECT_NEAR(*after_first->seconds_left, 3.0, 0.05);
    EXPECT_EQ(after_first->percent, 50);
    EXPECT_EQ(seen.back().percent, 100);
    EXPECT_NEAR(seen.back().seconds_left.value_or(-1), 0, 1e-9);
}

namespace {

/// An engine for several jobs at once: each run writes its output, then ends only after every
/// run of a later source has ended (c, then b, then a), and b fails.
struct LastFirstEngine
{
    std::mutex mutex;
    std::condition_variable ended;
    std::vector<std::string> end_order;

    int operator()(int argc, char **argv, ProgressCallback report)
    {
        const std::vector<std::string> args(argv, argv + argc);
        const std::string source = *(std::find(args.begin(), args.end(), "-i") + 1);
        const auto later = static_cast<std::size_t>('c' - source[4]); // "/in/X.avi"
        std::ofstream(args.back()) << "whole";
        std::unique_lock<std::mutex> lock(mutex);
        // A pool that ran them one at a time would never get here: give up, and fail.
        for (int turn = 0; end_order.size() < later; ++turn) {
            lock.unlock();
            if (report(nullptr, 0.5) < 0 || turn == 500)
                return DOLMAR_STOPPED;
            lock.lock();
            ended.wait_for(lock, std::chrono::milliseconds(20));
        }
        end_order.push_back(source);
        ended.notify_all();
        lock.unlock();
        if (source == "/in/b.avi") {
            report("Cannot decode the input: invalid data", -1.0);
            return DOLMAR_FAILED;
        }
        return DOLMAR_OK;
    }
};

} // namespace

TEST(ConversionDriver, jobsThatEndInAnyOrderAreFinishedInTheListsOrder)
{
    Fixture f;
    LastFirstEngine engine;
    f.driver.SetEngine(std::ref(engine));
    f.request.simultaneous_jobs = 3;
    for (const char *name : {"a", "b", "c"})
        f.AddTask(name);
    const RunOutcome outcome = f.driver.Convert(f.tasks, f.request);

    EXPECT_EQ(engine.end_order, (std::vector<std::string>{"/in/c.avi", "/in/b.avi", "/in/a.avi"}));
    const std::vector<std::string> made{f.out.file("a.mp4"), f.out.file("c.mp4")};
    EXPECT_EQ(outcome.outputs, made);
    EXPECT_EQ(f.post_processed, made);
    EXPECT_EQ(f.observer.finished, made);
    ASSERT_EQ(outcome.results.size(), 3u);
    EXPECT_EQ(outcome.results[0].status, Status::Made);
    EXPECT_EQ(outcome.results[1].status, Status::Failed);
    EXPECT_EQ(outcome.results[2].status, Status::Made);
    ASSERT_EQ(outcome.failures.size(), 1u);
    EXPECT_EQ(outcome.failures[0].source, "/in/b.avi");
    std::set<std::string> left;
    for (const auto &entry : std::filesystem::directory_iterator(f.out.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"a.mp4", "c.mp4"}));
}
