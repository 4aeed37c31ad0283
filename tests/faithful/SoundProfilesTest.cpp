// SPDX-License-Identifier: GPL-3.0-or-later
// Every built-in profile keeps the source sound's level when it downmixes, and its tags.
#include "Command.h"
#include "MediaFixtures.h"
#include "ProfileSet.h"
#include "SoundFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace quillet;
using namespace quillet::test;

namespace {

struct ProfileOutput
{
    std::string profile; ///< "file.ini:Section"
    std::string target_type; ///< the profile's extension: "mp4", "m4a", "mp3", ...
    bool video = false; ///< the profile writes a picture
    bool keeps_channels = false; ///< the profile keeps the source's channels (lossless ones)
    std::filesystem::path output; ///< empty when the conversion failed
};

/// Converts clip with every built-in profile through quillet-cli, each into its own folder;
/// profiles that make the same sound (an iPhone's and an iPad's, ones that differ only in their
/// picture, a copy that adds to the library) once.
std::vector<ProfileOutput> ConvertWithEveryProfile(const std::filesystem::path &clip,
                                                   const TempDir &home)
{
    std::vector<ProfileOutput> outputs;
    for (const BuiltInProfile &profile : DistinctConversions(SoundSettings)) {
        ProfileOutput output;
        output.profile = profile.name;
        output.target_type = profile.record.TargetType.str();
        output.video = !profile.record.bDisableVideo;
        output.keeps_channels = profile.record.nAudioChannel == 0;
        const auto folder = home.path() / ("out-" + std::to_string(outputs.size()));
        const CommandResult run = RunCommand(
            {(ProgramDir() / "quillet-cli").string(), "-p", output.profile, "-o", folder.string(),
             clip.string()},
            {"QUILLET_SETTINGS_DIR=" + home.file("settings"),
             "DISPLAY=", "WAYLAND_DISPLAY=", "QUILLET_MEDIA_LIBRARY=" + home.file("lib")});
        EXPECT_EQ(run.exit_code, 0) << output.profile << ": " << run.err;
        if (run.exit_code == 0)
            output.output = run.out.substr(0, run.out.find('\n'));
        outputs.push_back(output);
    }
    return outputs;
}

} // namespace

TEST(SoundProfiles, everyProfileMixesSurroundDownWithoutClippingAtOneLevel)
{
    TempDir home;
    // Each of the eight channels at -6 dBFS: mixed by plain addition the fronts pass full scale
    // by almost 4 dB.
    const auto clip = MakeSurroundClip(home.path() / "seven one.mkv", "7.1", 0.5, 1, true);
    const auto outputs = ConvertWithEveryProfile(clip, home);
    EXPECT_GE(outputs.size(), 20U);

    std::string quietest;
    std::string loudest;
    double quietest_db = 1000;
    double loudest_db = -1000;
    for (const ProfileOutput &output : outputs) {
        // A lossless profile keeps every channel as it was: it mixes nothing down.
        if (output.output.empty() || output.keeps_channels)
            continue;
        SCOPED_TRACE(output.profile);
        const SoundLevels levels = MeasureSound(output.output);
        ASSERT_TRUE(levels.measured);
        EXPECT_LE(levels.peak_db, 0.0);
        if (levels.rms_db < quietest_db) {
            quietest_db = levels.rms_db;
            quietest = output.profile;
        }
        if (levels.rms_db > loudest_db) {
            loudest_db = levels.rms_db;
            loudest = output.profile;
        }
    }
    EXPECT_LE(loudest_db - quietest_db, 1.0)
        << loudest << " at " << loudest_db << " dBFS, " << quietest << " at " << quietest_db;
}

TEST(SoundProfiles, everyProfileKeepsTheTagsAndTheCoverWhereItsContainerCan)
{
    TempDir home;
    const auto cover = home.path() / "cover.jpg";
    const auto song = home.path() / "song.mp3";
    const std::vector<std::pair<std::string, std::string>> tags
        = {{"title", "Night Drive"}, {"artist", "The Lamps"}, {"album", "Low Roads"},
           {"track", "3/12"},        {"date", "2019"},        {"genre", "Ambient"},
           {"comment", "take two"}};
    ASSERT_EQ(RunCommand({"ffmpeg", "-nostdin", "-loglevel", "error", "-f", "lavfi", "-i",
                          "testsrc2=size=120x120:rate=1", "-frames:v", "1", cover.string()})
                  .exit_code,
              0);
    std::vector<std::string> make = {"ffmpeg",
                                     "-nostdin",
                                     "-loglevel",
                                     "error",
                                     "-y",
                                     "-f",
                                     "lavfi",
                                     "-i",
                                     "sine=f=440:d=0.2:r=44100",
                                     "-i",
                                     cover.string(),
                                     "-map",
                                     "0",
                                     "-map",
                                     "1",
                                     "-c:v",
                                     "copy",
                                     "-disposition:v",
                                     "attached_pic",
                                     "-c:a",
                                     "libmp3lame"};
    for (const auto &[key, value] : tags)
        make.insert(make.end(), {"-metadata", std::string(key).append("=").append(value)});
    make.push_back(song.string());
    ASSERT_EQ(RunCommand(make).exit_code, 0);

    // Which tags each container holds: MPEG programme and transport streams none, the classic
    // QuickTime and AVI tag lists fewer than MP4, MP3 and ASF.
    const std::map<std::string, std::vector<std::string>> kept = {
        {"m4a", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"mp4", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"mp3", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"wmv", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"wav", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"mov", {"title", "artist", "album", "date", "genre", "comment"}},
        {"avi", {"title", "artist", "track", "date", "genre", "comment"}},
        {"m2ts", {}},
        {"vob", {}},
        {"mkv", {"title", "artist", "album", "date", "genre", "comment"}},
        {"webm", {"title", "artist", "album", "date", "genre", "comment"}},
        {"flac", {"title", "artist", "album", "track", "date", "genre", "comment"}},
        {"opus", {"title", "artist", "album", "track", "date", "genre", "comment"}},
    };
    const auto outputs = ConvertWithEveryProfile(song, home);
    EXPECT_GE(outputs.size(), 20U);
    for (const ProfileOutput &output : outputs) {
        if (output.output.empty())
            continue;
        SCOPED_TRACE(output.profile);
        const auto found = ReadTags(output.output);
        for (const std::string &key : kept.at(output.target_type)) {
            const auto tag = std::find_if(tags.begin(), tags.end(),
                                          [&](const auto &t) { return t.first == key; });
            ASSERT_NE(found.find(key), found.end()) << "lost " << key;
            EXPECT_EQ(found.at(key), tag->second);
        }
        // The source has no picture of its own, so every output of the MP4 family takes the
        // cover, as MP3 and FLAC do.
        const bool holds_cover = output.target_type == "m4a" || output.target_type == "mp4"
            || output.target_type == "mp3" || output.target_type == "flac";
        EXPECT_EQ(AttachedPictures(output.output), holds_cover ? 1 : 0);
    }
}
