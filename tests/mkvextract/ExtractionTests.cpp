// SPDX-License-Identifier: GPL-3.0-or-later
#include "mkvextract.h"

#include "MatroskaSamples.h"
#include "NoReplaceMove.h"
#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace mkvextract_test {
namespace {

namespace fs = std::filesystem;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

struct ProgressReport
{
    int percent;
    std::string message;
};
std::vector<ProgressReport> g_reports;

int RecordProgress(int percent, const char *message)
{
    g_reports.push_back({percent, message ? message : ""});
    return 0;
}

/// Builds a request from (track, path) pairs and extracts with the recording callback set;
/// names, when given, receives the output paths as the request holds them afterwards.
int Extract(const fs::path &source, const std::vector<std::pair<int, std::string>> &pairs,
            std::vector<std::string> *names = nullptr)
{
    std::vector<EmExtractItem> items(pairs.size());
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        std::memset(&items[i], 0, sizeof items[i]);
        std::strncpy(items[i].output_path, pairs[i].second.c_str(),
                     sizeof items[i].output_path - 1);
        items[i].track = pairs[i].first;
    }
    EmExtractRequest request{static_cast<int32_t>(items.size()), items.data()};
    g_reports.clear();
    em_setcallbackfunc(&RecordProgress);
    int result = em_extract(source.c_str(), &request);
    em_setcallbackfunc(nullptr);
    if (names) {
        names->clear();
        for (const EmExtractItem &item : items)
            names->push_back(item.output_path);
    }
    return result;
}

/// The names in folder, sorted.
std::vector<std::string> Listing(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool ReachedHundred()
{
    return !g_reports.empty() && g_reports.back().percent == 100;
}

TEST(Extraction, textTracksReachAwkwardPathsIntact)
{
    TempDir dir;
    const fs::path folder = dir.path() / "my subs 'q\" ü";
    fs::create_directories(folder);
    const fs::path srt = folder / "movie: \"part\" 1 — é.srt";
    const fs::path ass = folder / "-dash;semi$var.ass";
    const fs::path sample = Samples().full; // made in the usual locale
    // Under the "C" locale mkvtoolnix would cut these names at their first non-ASCII byte.
    ScopedEnv all("LC_ALL", "C"), ctype("LC_CTYPE", "C"), lang("LANG", "C");

    ASSERT_EQ(Extract(sample, {{2, srt.string()}, {3, ass.string()}}), 0);
    const std::string srt_text = ReadFile(srt);
    EXPECT_NE(srt_text.find("Hello from the first line"), std::string::npos) << srt_text;
    EXPECT_NE(srt_text.find("Second line here"), std::string::npos) << srt_text;
    EXPECT_NE(srt_text.find("-->"), std::string::npos);
    const std::string ass_text = ReadFile(ass);
    EXPECT_EQ(ass_text.find("[Script Info]"), ass_text.find('['));
    EXPECT_NE(ass_text.find("ASS line one"), std::string::npos) << ass_text;
    // Nothing but the two outputs was written.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
}

TEST(Extraction, relativePathsThatLookLikeOptionsAreFiles)
{
    TempDir dir;
    const fs::path old_dir = fs::current_path();
    fs::copy_file(Samples().full, dir.path() / "@movie.mkv");
    fs::current_path(dir.path());
    const int result = Extract("@movie.mkv", {{2, "-out.srt"}});
    fs::current_path(old_dir);
    ASSERT_EQ(result, 0);
    EXPECT_NE(ReadFile(dir.path() / "-out.srt").find("Hello"), std::string::npos);
}

TEST(Extraction, vobSubGivesIndexAndImages)
{
    TempDir dir;
    const fs::path idx = dir.path() / "movie_0.idx";
    ASSERT_EQ(Extract(Samples().full, {{4, idx.string()}}), 0);
    EXPECT_EQ(ReadFile(idx).rfind("# VobSub index file", 0), 0u);
    EXPECT_NE(ReadFile(idx).find("timestamp: 00:00:01:200"), std::string::npos);
    const std::string sub = ReadFile(dir.path() / "movie_0.sub");
    ASSERT_FALSE(sub.empty());
    EXPECT_EQ(sub.substr(0, 4), std::string("\x00\x00\x01\xBA", 4)) << "an MPEG program stream";
}

TEST(Extraction, oddVobSubNamesAndRepeatedTracksAllArrive)
{
    TempDir dir;
    // mkvextract names VobSub files itself ("X.IDX" would become X.idx) and refuses a track
    // given twice; the caller still gets every name it asked for.
    const fs::path upper = dir.path() / "X.IDX";
    const fs::path bare = dir.path() / "bare";
    const fs::path first = dir.path() / "a.srt", second = dir.path() / "b.srt";
    ASSERT_EQ(Extract(Samples().full,
                      {{4, upper.string()},
                       {2, first.string()},
                       {4, bare.string()},
                       {2, second.string()},
                       {2, first.string()}}),
              0);
    EXPECT_EQ(ReadFile(upper).rfind("# VobSub index file", 0), 0u);
    EXPECT_FALSE(ReadFile(dir.path() / "X.sub").empty());
    EXPECT_EQ(ReadFile(bare), ReadFile(upper));
    EXPECT_EQ(ReadFile(dir.path() / "bare.sub"), ReadFile(dir.path() / "X.sub"));
    EXPECT_NE(ReadFile(first).find("Hello"), std::string::npos);
    EXPECT_EQ(ReadFile(second), ReadFile(first));
}

TEST(Extraction, progressRisesToHundredOnce)
{
    TempDir dir;
    ASSERT_EQ(Extract(Samples().full, {{2, dir.file("a.srt")}, {4, dir.file("b.idx")}}), 0);
    ASSERT_GE(g_reports.size(), 3u) << "the start, the tool's own steps and the end";
    EXPECT_EQ(g_reports.front().percent, 0);
    for (std::size_t i = 1; i < g_reports.size(); ++i)
        EXPECT_GT(g_reports[i].percent, g_reports[i - 1].percent) << "report " << i;
    EXPECT_EQ(g_reports.back().percent, 100);
    for (const auto &report : g_reports)
        EXPECT_EQ(report.message, "Extracting subtitles from full.mkv");
}

TEST(Extraction, refusedRequestsWriteNothing)
{
    TempDir dir;
    const fs::path source = dir.path() / "source.mkv";
    fs::copy_file(Samples().full, source);
    const auto source_size = fs::file_size(source);
    const fs::path missing_folder = dir.path() / "no such folder";
    // mkvextract compares names only, and through a link it overwrites the file it reads.
    const fs::path link = dir.path() / "link.srt";
    fs::create_symlink(source, link);

    struct Case
    {
        const char *what;
        std::vector<std::pair<int, std::string>> pairs;
    };
    const Case cases[] = {
        {"missing output folder", {{2, (missing_folder / "a.srt").string()}}},
        {"unknown track", {{2, dir.file("ok.srt")}, {9, dir.file("nine.srt")}}},
        {"output is the source", {{2, source.string()}}},
        {"output is the source under another name", {{2, link.string()}}},
        {"two tracks into one file", {{2, dir.file("same.txt")}, {3, dir.file("same.txt")}}},
        {"VobSub images over a text output", {{2, dir.file("v.sub")}, {4, dir.file("v.idx")}}},
        {"output is a folder", {{2, dir.path().string()}}},
        // mkvextract would write U+FFFD in place of the byte: a file of another name.
        {"name that is not UTF-8", {{2, dir.file("caf\xE9.srt")}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_LT(Extract(source, c.pairs), 0);
        EXPECT_FALSE(ReachedHundred());
    }
    // mkvextract would have created the folder and truncated the source.
    EXPECT_FALSE(fs::exists(missing_folder));
    EXPECT_EQ(fs::file_size(source), source_size);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(Extraction, unreadableSourcesFail)
{
    TempDir dir;
    const auto text = WriteFile(dir.path() / "notes.mkv", "plain text\n");
    for (const fs::path &source : {dir.path() / "missing.mkv", text}) {
        SCOPED_TRACE(source);
        EXPECT_LT(Extract(source, {{2, dir.file("out.srt")}}), 0);
        EXPECT_FALSE(fs::exists(dir.path() / "out.srt"));
    }
}

TEST(Extraction, cutSourceFailsAndLeavesNoOutput)
{
    TempDir dir;
    const auto cut
        = CutCopy(Samples().full, dir.path() / "cut.mkv", fs::file_size(Samples().full) * 2 / 3);
    // mkvextract writes what it finds before the cut and says it succeeded; those subtitles
    // must not pass for the whole track.
    EXPECT_LT(Extract(cut, {{2, dir.file("cut.srt")}}), 0);
    EXPECT_FALSE(ReachedHundred());
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"cut.mkv"});
}

TEST(Extraction, existingFilesAreNeverReplaced)
{
    TempDir dir;
    const fs::path mine = WriteFile(dir.path() / "movie_0.srt", "my own subtitles\n");
    std::vector<std::string> names;
    ASSERT_EQ(Extract(Samples().full, {{2, mine.string()}, {3, dir.file("movie_1.ass")}}, &names),
              0);
    EXPECT_EQ(ReadFile(mine), "my own subtitles\n");
    // The track went to the next free name, and the request says so.
    EXPECT_NE(ReadFile(dir.path() / "movie_0 (1).srt").find("Hello"), std::string::npos);
    EXPECT_EQ(names,
              (std::vector<std::string>{dir.file("movie_0 (1).srt"), dir.file("movie_1.ass")}));
    EXPECT_EQ(Listing(dir.path()),
              (std::vector<std::string>{"movie_0 (1).srt", "movie_0.srt", "movie_1.ass"}));
}

TEST(Extraction, vobSubPairTakesAStemFreeForBothFiles)
{
    TempDir dir;
    // Only the images file of "movie_0" is taken; for "pair" the index, and the images of
    // "pair (1)".
    const fs::path images = WriteFile(dir.path() / "movie_0.sub", "my own images");
    WriteFile(dir.path() / "pair.idx", "my own index");
    WriteFile(dir.path() / "pair (1).sub", "my own images too");
    std::vector<std::string> names;
    ASSERT_EQ(
        Extract(Samples().full, {{4, dir.file("movie_0.idx")}, {4, dir.file("pair.idx")}}, &names),
        0);
    EXPECT_EQ(ReadFile(images), "my own images");
    EXPECT_EQ(ReadFile(dir.path() / "pair.idx"), "my own index");
    EXPECT_EQ(ReadFile(dir.path() / "pair (1).sub"), "my own images too");
    EXPECT_EQ(names,
              (std::vector<std::string>{dir.file("movie_0 (1).idx"), dir.file("pair (2).idx")}));
    for (const char *stem : {"movie_0 (1)", "pair (2)"}) {
        SCOPED_TRACE(stem);
        EXPECT_EQ(ReadFile(dir.path() / (std::string(stem) + ".idx")).rfind("# VobSub index", 0),
                  0u);
        EXPECT_EQ(ReadFile(dir.path() / (std::string(stem) + ".sub")).substr(0, 4),
                  std::string("\x00\x00\x01\xBA", 4));
    }
    EXPECT_EQ(
        Listing(dir.path()),
        (std::vector<std::string>{"movie_0 (1).idx", "movie_0 (1).sub", "movie_0.sub",
                                  "pair (1).sub", "pair (2).idx", "pair (2).sub", "pair.idx"}));
}

/// Puts a stand-in mkvextract first on PATH running the given shell lines; "$out" holds the
/// path of its first "ID:path" argument.
class FakeMkvextract
{
public:
    explicit FakeMkvextract(const std::string &body)
        : m_path("PATH", m_dir.path().string() + ":" + std::getenv("PATH"))
    {
        const fs::path script
            = WriteFile(m_dir.path() / "mkvextract", "#!/bin/sh\nout=\"${4#*:}\"\n" + body + "\n");
        fs::permissions(script, fs::perms::owner_all);
    }

private:
    TempDir m_dir;
    ScopedEnv m_path;
};

// Each step must reach the caller while the tool still works, not when it has ended: the tool
// goes on past a step only once the caller has seen it (it waits for a file the callback makes),
// and gives up with a failure when that never happens.
TEST(Extraction, progressArrivesWhileTheToolRuns)
{
    const fs::path sample = Samples().full;
    TempDir dir;
    const std::string seen = dir.file("seen-");
    const auto await = [&](int percent) {
        return "n=0; while [ ! -e '" + seen + std::to_string(percent)
            + "' ]; do n=$((n+1)); [ $n -gt 6000 ] && exit 3; sleep 0.01; done; ";
    };
    FakeMkvextract tool("echo '#GUI#progress 30%'; " + await(30) + "echo '#GUI#progress 60%'; "
                        + await(60) + "echo line > \"$out\"; echo '#GUI#progress 100%'");
    static std::vector<int> *s_percents = nullptr;
    static std::string s_seen;
    std::vector<int> percents;
    s_percents = &percents;
    s_seen = seen;
    std::vector<EmExtractItem> items(1);
    std::strcpy(items[0].output_path, dir.file("a.srt").c_str());
    items[0].track = 2;
    const EmExtractRequest request{1, items.data()};
    em_setcallbackfunc([](int percent, const char *) {
        s_percents->push_back(percent);
        WriteFile(s_seen + std::to_string(percent), "");
        return 0;
    });
    const int result = em_extract(sample.c_str(), &request);
    em_setcallbackfunc(nullptr);
    ASSERT_EQ(result, 0) << "a step was not passed on while the tool ran";
    EXPECT_EQ(percents, (std::vector<int>{0, 30, 60, 100}));
}

TEST(Extraction, failedRunsLeaveNothingUnderAFinalName)
{
    const fs::path sample = Samples().full;
    TempDir dir;
    // The name is taken by an earlier file each time: it stays as it was.
    const std::string old_text = "1\n00:00:00,000 --> 00:00:01,000\nold\n";
    const auto stale = WriteFile(dir.path() / "a.srt", old_text);
    const std::pair<const char *, const char *> tools[] = {
        {"error exit", "echo line > \"$out\"; echo '#GUI#error disk full'; exit 2"},
        {"killed", "echo line > \"$out\"; kill -9 $$"},
        {"success without the output", "echo '#GUI#progress 100%'; exit 0"},
    };
    for (const auto &[what, body] : tools) {
        SCOPED_TRACE(what);
        FakeMkvextract tool(body);
        EXPECT_LT(Extract(sample, {{2, stale.string()}, {3, dir.file("b.ass")}}), 0);
        EXPECT_FALSE(ReachedHundred());
        EXPECT_EQ(ReadFile(stale), old_text);
        // Neither an output nor a working file is left behind.
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"a.srt"});
    }
}

TEST(Extraction, aNameTakenWhileTheToolRunsIsNotReplaced)
{
    TempDir dir;
    const fs::path wanted = dir.path() / "film.srt";
    // Another program claims the name while mkvextract writes.
    FakeMkvextract tool("echo ours > \"$out\"; echo theirs > '" + wanted.string() + "'");
    std::vector<std::string> names;
    ASSERT_EQ(Extract(Samples().full, {{2, wanted.string()}}, &names), 0);
    EXPECT_EQ(ReadFile(wanted), "theirs\n");
    EXPECT_EQ(ReadFile(dir.path() / "film (1).srt"), "ours\n");
    EXPECT_EQ(names, std::vector<std::string>{dir.file("film (1).srt")});
}

TEST(Extraction, workingFilesAreHiddenInTheOutputFolderAndGoAway)
{
    TempDir dir, elsewhere;
    const fs::path record = elsewhere.path() / "working-name";
    FakeMkvextract tool("echo \"$out\" > '" + record.string() + "'; echo line > \"$out\"");
    ASSERT_EQ(Extract(Samples().full, {{2, dir.file("film.srt")}}), 0);
    std::string working = ReadFile(record);
    working.pop_back(); // the line end
    const fs::path working_folder = fs::path(working).parent_path();
    // In the output folder (so the final rename stays in one file system), under a hidden name
    // no one takes for a subtitle file.
    EXPECT_EQ(working_folder.parent_path(), dir.path());
    EXPECT_EQ(working_folder.filename().string().rfind(".mkvextract.part-", 0), 0u) << working;
    EXPECT_FALSE(fs::exists(working_folder));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"film.srt"});
}

TEST(Extraction, killedCallerLeavesNoFileUnderAFinalName)
{
    const fs::path sample = Samples().full; // made before the stand-in tool takes over
    TempDir dir, elsewhere;
    const fs::path started = elsewhere.path() / "started";
    // Writes half an output, says so, and waits to be killed with its caller.
    FakeMkvextract tool("echo partial > \"$out\"; echo $$ > '" + started.string() + ".tmp'; mv '"
                        + started.string() + ".tmp' '" + started.string() + "'; sleep 30");
    const fs::path wanted = dir.path() / "film.srt";
    const pid_t caller = fork();
    ASSERT_GE(caller, 0);
    if (caller == 0) {
        std::vector<EmExtractItem> items(1);
        std::strcpy(items[0].output_path, wanted.c_str());
        items[0].track = 2;
        const EmExtractRequest request{1, items.data()};
        _exit(em_extract(sample.c_str(), &request) == 0 ? 0 : 1);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!fs::exists(started) && std::chrono::steady_clock::now() < deadline)
        usleep(10000);
    kill(caller, SIGKILL);
    waitpid(caller, nullptr, 0);
    const std::string tool_pid = ReadFile(started);
    ASSERT_FALSE(tool_pid.empty()) << "the stand-in mkvextract never started";
    kill(std::stoi(tool_pid), SIGKILL);

    EXPECT_FALSE(fs::exists(wanted));
    // Only the hidden working folder with the half-written file remains.
    const std::vector<std::string> left = Listing(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind(".mkvextract.part-", 0), 0u) << left[0];
}

TEST(Extraction, unusableOutputFoldersAreNamedWithTheirCause)
{
    TempDir dir;
    const fs::path loop = dir.path() / "loop";
    fs::create_symlink(loop, loop);
    const std::string too_long = std::string(300, 'x');
    const std::pair<fs::path, const char *> cases[] = {
        {loop / "a.srt", "Too many levels of symbolic links"},
        {dir.path() / too_long / "a.srt", "File name too long"},
        {dir.path() / "missing" / "a.srt", "the folder does not exist"},
    };
    for (const auto &[output, cause] : cases) {
        SCOPED_TRACE(cause);
        testing::internal::CaptureStderr();
        EXPECT_LT(Extract(Samples().full, {{2, output.string()}}), 0);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(output.string()), std::string::npos) << said;
        EXPECT_NE(said.find(cause), std::string::npos) << said;
    }
}

TEST(Extraction, malformedRequestsAreRefused)
{
    TempDir dir;
    EmExtractItem item{};
    std::memset(item.output_path, 'a', sizeof item.output_path); // no terminating NUL
    item.track = 2;
    const EmExtractRequest unterminated{1, &item};
    const EmExtractRequest no_items{1, nullptr};
    const EmExtractRequest negative{-1, nullptr};
    const EmExtractRequest empty{0, nullptr};
    const char *source = Samples().full.c_str();

    EXPECT_LT(em_extract(nullptr, &empty), 0);
    EXPECT_LT(em_extract(source, nullptr), 0);
    EXPECT_LT(em_extract(source, &no_items), 0);
    EXPECT_LT(em_extract(source, &negative), 0);
    EXPECT_LT(em_extract(source, &unterminated), 0);
    EXPECT_EQ(em_extract(source, &empty), 0) << "nothing asked, nothing missing";
}

TEST(NoReplaceMove, claimsAFreeNameAndNeverReplaces)
{
    TempDir dir;
    const std::string mine = WriteFile(dir.path() / "mine", "new").string();
    const std::string taken = WriteFile(dir.path() / "taken", "old").string();
    // A file system without RENAME_NOREPLACE: the hard link claims the name instead.
    const mkvextract::NoReplaceRename refusing = [](const char *, const char *) {
        errno = EINVAL;
        return -1;
    };
    for (const mkvextract::NoReplaceRename rename : {&mkvextract::RenameNoReplace, refusing}) {
        WriteFile(mine, "new");
        EXPECT_EQ(mkvextract::MoveWithoutReplacing(mine, taken, rename), EEXIST);
        EXPECT_EQ(ReadFile(taken), "old");
        EXPECT_TRUE(fs::exists(mine));

        const std::string free_name = dir.file("free");
        fs::remove(free_name);
        EXPECT_EQ(mkvextract::MoveWithoutReplacing(mine, free_name, rename), 0);
        EXPECT_EQ(ReadFile(free_name), "new");
        EXPECT_FALSE(fs::exists(mine)) << "the working name goes";
    }
}

} // namespace
} // namespace mkvextract_test
