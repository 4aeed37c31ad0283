// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SubtitleOffer.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace quillet;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

struct Answering : Prompter
{
    bool answer = true;
    std::vector<std::string> asked, told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view question, std::string_view) override
    {
        asked.emplace_back(question);
        return answer;
    }
};

struct Window : ExtractionProgress
{
    std::vector<int> *seen;
    explicit Window(std::vector<int> *s)
        : seen(s)
    { }
    void Update(int percent, std::string_view) override { seen->push_back(percent); }
};

struct Fixture
{
    TempDir out;
    MatroskaBinding binding;
    Answering prompter;
    std::vector<int> progress;
    int windows = 0;

    Fixture()
    {
        EXPECT_TRUE(binding.Load(QUILLET_FAKES_DIR, "fakemkvextract")) << binding.Error();
        ::setenv("FAKE_MKV_TRACKS", "0:V_MPEG4/ISO/AVC,2:S_VOBSUB,1:A_AAC,2:S_TEXT/UTF8", 1);
        ::unsetenv("FAKE_MKV_FAIL");
    }
    ~Fixture() { ::unsetenv("FAKE_MKV_TRACKS"); }

    std::unique_ptr<Task> Offer(const std::string &source)
    {
        auto task = std::make_unique<Task>();
        task->source_path = source;
        OfferSubtitles(
            *task, binding, prompter, out.path().string() + "/",
            [this] {
                ++windows;
                return std::make_unique<Window>(&progress);
            },
            [](const std::string &p) { return std::filesystem::exists(p); });
        return task;
    }
};

} // namespace

TEST(SubtitleOffer, extractsEveryTrackAndPresetsTheFirst)
{
    Fixture f;
    auto task = f.Offer("/films/base.mkv");
    const std::string idx = f.out.file("base_0.idx");
    const std::string srt = f.out.file("base_1.srt");
    EXPECT_EQ(f.prompter.asked, (std::vector<std::string>{kSubtitleOfferQuestion}));
    EXPECT_EQ(task->subtitle_path, idx);
    EXPECT_EQ(task->subtitle_candidates, (std::vector<std::string>{idx, srt}));
    EXPECT_TRUE(std::filesystem::exists(idx));
    EXPECT_TRUE(std::filesystem::exists(srt));
    EXPECT_EQ(f.windows, 1);
    EXPECT_EQ(f.progress.back(), 100);
    EXPECT_EQ(MatroskaBinding::CurrentProgress(), nullptr);
    EXPECT_TRUE(f.prompter.told.empty());
}

TEST(SubtitleOffer, isMadeOnlyForMatroskaNamesWithSubtitles)
{
    Fixture f;
    f.Offer("/films/movie.mkv.avi");
    EXPECT_TRUE(f.prompter.asked.empty());
    f.Offer("/films/MOVIE.MKV");
    EXPECT_EQ(f.prompter.asked.size(), 1u);

    ::setenv("FAKE_MKV_TRACKS", "0:V_MPEG4/ISO/AVC,1:A_AAC", 1);
    f.Offer("/films/nosubs.mkv");
    EXPECT_EQ(f.prompter.asked.size(), 1u);

    ::setenv("FAKE_MKV_TRACKS", "2:S_TEXT/UTF8", 1);
    f.prompter.answer = false;
    auto declined = f.Offer("/films/declined.mkv");
    EXPECT_TRUE(declined->subtitle_path.empty());
    EXPECT_FALSE(std::filesystem::exists(f.out.file("declined_0.srt")));

    MatroskaBinding unloaded;
    Task task;
    task.source_path = "/films/x.mkv";
    OfferSubtitles(task, unloaded, f.prompter, f.out.path().string() + "/", nullptr,
                   [](const std::string &) { return false; });
    EXPECT_EQ(f.prompter.asked.size(), 2u);
    EXPECT_EQ(unloaded.GetTrackInfo("x", nullptr), -1);
}

TEST(SubtitleOffer, neverReplacesAFileAndReportsTracksNotExtracted)
{
    Fixture f;
    WriteFile(f.out.path() / "base_1.srt", "the user's own subtitles");
    ::setenv("FAKE_MKV_FAIL", "1", 1); // the VobSub track (track number 1) fails
    auto task = f.Offer("/films/base.mkv");
    EXPECT_EQ(task->subtitle_candidates, (std::vector<std::string>{f.out.file("base_1 (1).srt")}));
    EXPECT_EQ(task->subtitle_path, f.out.file("base_1 (1).srt"));
    EXPECT_EQ(quillet::test::ReadFile(f.out.path() / "base_1.srt"), "the user's own subtitles");
    ASSERT_EQ(f.prompter.told.size(), 1u);
    EXPECT_NE(f.prompter.told[0].find("base_0.idx"), std::string::npos);
}

TEST(SubtitleOffer, extensionFollowsTheCodecName)
{
    EXPECT_EQ(SubtitleExtension("S_VOBSUB"), ".idx");
    EXPECT_EQ(SubtitleExtension("S_TEXT/SSA"), ".ssa");
    EXPECT_EQ(SubtitleExtension("S_TEXT/ASS"), ".ass");
    EXPECT_EQ(SubtitleExtension("s_text/usf"), ".usf");
    EXPECT_EQ(SubtitleExtension("S_TEXT/UTF8"), ".srt");
    EXPECT_EQ(SubtitleExtension("SSA"), ".srt"); // found only at the very start
    EXPECT_EQ(SubtitleExtension("VOBSUB"), ".srt");
}
