// SPDX-License-Identifier: GPL-3.0-or-later
// Every built-in profile converts a clip into the container, codecs and picture size it promises.
#include "../faithful/ProfileSet.h"
#include "Command.h"
#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace quillet;
using namespace quillet::test;

namespace {

struct Promise
{
    std::string format;
    std::string video; // empty: no video stream
    std::string audio;
    int width = 0;
    int height = 0;
};

/// What a profile promises, read from its own settings the way a user reads them.
Promise PromiseOf(const ProfileRecord &r, int source_width, int source_height)
{
    static const std::map<std::string, std::string> kFormats
        = {{"mp4", "mp4"},  {"m4a", "mp4"},      {"mov", "mov"},   {"mp3", "mp3"},
           {"wav", "wav"},  {"avi", "avi"},      {"wmv", "asf"},   {"m2ts", "mpegts"},
           {"vob", "mpeg"}, {"mkv", "matroska"}, {"webm", "webm"}, {"flac", "flac"},
           {"opus", "ogg"}};
    static const std::map<int, std::pair<int, int>> kSizes
        = {{5, {320, 240}}, {6, {640, 480}}, {7, {720, 480}}, {8, {720, 576}}, {11, {1920, 1080}}};
    Promise p;
    p.format = kFormats.at(r.TargetType.str());
    if (!r.bDisableVideo) {
        p.video = r.cVideoCodec.str();
        if (r.nVideoRiszeOption == 0) {
            p.width = source_width;
            p.height = source_height;
        } else if (r.nVideoRiszeOption == 9) {
            p.width = r.nVideoCustomSizeX;
            p.height = r.nVideoCustomSizeY;
        } else {
            std::tie(p.width, p.height) = kSizes.at(r.nVideoRiszeOption);
        }
    }
    p.audio = r.cAudioCodec.view() == "auto" ? "wmav2" : r.cAudioCodec.str();
    return p;
}

} // namespace

TEST(BuiltInProfiles, everyProfileMakesWhatItPromises)
{
    TempDir home;
    ClipRecipe recipe;
    recipe.seconds = 1;
    recipe.width = 320;
    recipe.height = 240;
    auto clip = MakeClip(home.path() / "source.mkv", recipe);
    // The profiles that add their output to the media library need one to add it to.
    std::filesystem::create_directories(home.path() / "lib");

    int checked = 0;
    std::set<std::string> converted;
    for (const BuiltInProfile &built_in : BuiltInProfiles()) {
        const std::string &profile = built_in.name;
        SCOPED_TRACE(profile);
        const ProfileRecord &r = built_in.record;
        EXPECT_FALSE(r.FormatName.empty());
        EXPECT_FALSE(r.FormatHint.empty());
        EXPECT_EQ(r.nAudioVolume, 256);
        ++checked;
        // A profile that differs from one converted already only in its names makes the same.
        if (!converted.insert(ConversionSettings(r) + '|' + r.PostProcess.str()).second)
            continue;
        const Promise promise = PromiseOf(r, recipe.width, recipe.height);

        const auto out = home.path() / ("out-" + std::to_string(checked));
        auto run = RunCommand({(ProgramDir() / "quillet-cli").string(), "-p", profile, "-o",
                               out.string(), clip.string()},
                              {"QUILLET_SETTINGS_DIR=" + home.file("settings"), "DISPLAY=",
                               "WAYLAND_DISPLAY=", "QUILLET_MEDIA_LIBRARY=" + home.file("lib")});
        ASSERT_EQ(run.exit_code, 0) << run.err;
        const std::string output = run.out.substr(0, run.out.find('\n'));
        EXPECT_EQ(std::filesystem::path(output).extension().string(), "." + r.TargetType.str());

        ProbedFile probed = Ffprobe(output);
        ASSERT_TRUE(probed.ok);
        EXPECT_NE(probed.format.find(promise.format), std::string::npos) << probed.format;
        if (promise.video.empty()) {
            EXPECT_EQ(probed.first("video"), nullptr);
        } else {
            ASSERT_NE(probed.first("video"), nullptr);
            EXPECT_EQ(probed.first("video")->codec, promise.video);
            EXPECT_EQ(probed.first("video")->width, promise.width);
            EXPECT_EQ(probed.first("video")->height, promise.height);
        }
        ASSERT_NE(probed.first("audio"), nullptr);
        EXPECT_EQ(probed.first("audio")->codec, promise.audio);
        EXPECT_NEAR(probed.duration, 1.0, 0.25);
    }
    EXPECT_GE(checked, 29);
}
