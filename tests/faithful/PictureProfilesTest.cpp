// SPDX-License-Identifier: GPL-3.0-or-later
// Every built-in profile keeps the source picture's orientation, shape, progressive frames and a
// frame rate its level allows.
#include "Command.h"
#include "MediaFixtures.h"
#include "ProfileSet.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillet;
using namespace quillet::test;

namespace {

void Ffmpeg(std::vector<std::string> args)
{
    args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y", "-nostdin"});
    const CommandResult run = RunCommand(args);
    if (run.exit_code != 0)
        throw std::runtime_error("ffmpeg failed: " + run.err);
}

double Rational(const std::string &text)
{
    int num = 0, den = 0;
    if (std::sscanf(text.c_str(), "%d%*[:/]%d", &num, &den) != 2 || den == 0)
        return 0;
    return static_cast<double>(num) / den;
}

bool IsDark(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) < 40 && ((rgb >> 8) & 0xFF) < 40 && (rgb & 0xFF) < 40;
}

bool IsWhite(uint32_t rgb)
{
    return ((rgb >> 16) & 0xFF) > 200 && ((rgb >> 8) & 0xFF) > 200 && (rgb & 0xFF) > 200;
}

/// The picture inside the bars of a frame of flat, bright content: its extent along the middle
/// row and column, shown with the output's pixel aspect.
struct Inner
{
    int width = 0;
    int height = 0;
    int left = 0;
    double aspect = 0;
};

Inner PictureInside(const RgbFrame &frame, double sample_aspect)
{
    Inner inner;
    int first = -1, last = -1;
    for (int x = 0; x < frame.width; ++x)
        if (!IsDark(frame.at(x, frame.height / 2))) {
            first = first < 0 ? x : first;
            last = x;
        }
    inner.left = first;
    inner.width = first < 0 ? 0 : last - first + 1;
    first = last = -1;
    for (int y = 0; y < frame.height; ++y)
        if (!IsDark(frame.at(frame.width / 2, y))) {
            first = first < 0 ? y : first;
            last = y;
        }
    inner.height = first < 0 ? 0 : last - first + 1;
    if (inner.height > 0)
        inner.aspect = inner.width * sample_aspect / inner.height;
    return inner;
}

/// Macroblocks a second each H.264 level allows.
int64_t LevelLimit(const std::string &level)
{
    static const std::map<std::string, int64_t> kLimits
        = {{"13", 11880},  {"21", 19800},  {"30", 40500},  {"31", 108000},
           {"32", 216000}, {"40", 245760}, {"41", 245760}, {"42", 522240}};
    const auto it = kLimits.find(level);
    return it == kLimits.end() ? 0 : it->second;
}

/// Luma samples a second each HEVC level allows (as x265 reads "5.0" and "50").
int64_t HevcLevelLimit(const std::string &level)
{
    static const std::map<std::string, int64_t> kLimits
        = {{"4.1", 133693440}, {"41", 133693440},  {"5.0", 267386880},
           {"50", 267386880},  {"5.1", 534773760}, {"51", 534773760}};
    const auto it = kLimits.find(level);
    return it == kLimits.end() ? 0 : it->second;
}

/// The -level a profile's options name, or "".
std::string LevelOf(const std::string &para)
{
    const auto at = para.find("-level ");
    if (at == std::string::npos)
        return {};
    const auto start = at + 7;
    return para.substr(start, para.find(' ', start) - start);
}

using VideoProfile = BuiltInProfile;

/// The built-in profiles that make a picture, each distinct conversion once.
std::vector<VideoProfile> BuiltInVideoProfiles()
{
    std::vector<VideoProfile> profiles;
    for (VideoProfile &p : DistinctConversions(PictureSettings)) {
        const std::string type = p.record.TargetType.str();
        if (p.record.bDisableVideo || type == "m4a" || type == "mp3" || type == "wav"
            || type == "flac" || type == "opus")
            continue;
        profiles.push_back(std::move(p));
    }
    return profiles;
}

class PictureProfiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        // Each clip is as short as what is checked allows: a conversion of every built-in
        // profile costs per picture (HD encoders), and a few pictures show shape, orientation
        // and rate as well as many.
        // A phone clip: upright 360x640, flat grey with a white band across its top, stored
        // on its side with a display matrix, at 60 frames a second.
        const std::string stored = s_dir->file("stored.mp4");
        Ffmpeg({"-f", "lavfi", "-i",
                "color=c=0x808080:s=360x640:r=60:d=0.1,drawbox=x=0:y=0:w=iw:h=64:color=white:"
                "t=fill,transpose=clock",
                "-f", "lavfi", "-i", "sine=d=0.1", "-c:v", "libx264", "-pix_fmt", "yuv420p", "-c:a",
                "aac", "-shortest", stored});
        s_phone = s_dir->file("phone.mp4");
        Ffmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", s_phone});
        // A 2.40:1 film frame and a 4:3 picture, flat grey.
        for (auto [name, size] : {std::pair<const char *, const char *>{"film.mp4", "480x200"},
                                  {"four thirds.mp4", "640x480"}}) {
            Ffmpeg({"-f", "lavfi", "-i", std::string("color=c=0x808080:r=25:d=0.12:s=") + size,
                    "-f", "lavfi", "-i", "sine=d=0.12", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                    "-c:a", "aac", "-shortest", s_dir->file(name)});
        }
        s_film = s_dir->file("film.mp4");
        s_four_thirds = s_dir->file("four thirds.mp4");
        // A broadcast recording: 50 fields a second woven into frames, not saying so; a dozen
        // pictures give the detector on the output enough to count.
        s_fields = s_dir->file("fields.avi");
        Ffmpeg({"-f", "lavfi", "-i",
                "testsrc2=s=352x288:r=50:d=0.48,tinterlace=interleave_top,fieldorder=tff", "-f",
                "lavfi", "-i", "sine=d=0.48", "-c:v", "mpeg4", "-q:v", "3", "-c:a", "mp3",
                "-shortest", s_fields});
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    /// Converts source with profile; the output's path, or "" (a test failure) when it failed
    /// or made no file, or an empty one.
    std::string Convert(const VideoProfile &profile, const std::string &source)
    {
        const auto out = m_dir.path() / ("out-" + std::to_string(m_runs++));
        const CommandResult run = RunCommand(
            {(ProgramDir() / "quillet-cli").string(), "-p", profile.name, "-o", out.string(),
             source},
            {"QUILLET_SETTINGS_DIR=" + m_dir.file("settings"),
             "DISPLAY=", "WAYLAND_DISPLAY=", "QUILLET_MEDIA_LIBRARY=" + m_dir.file("lib")});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        if (run.exit_code != 0)
            return {};
        const std::string made = run.out.substr(0, run.out.find('\n'));
        std::error_code error;
        const bool has_content = !made.empty() && std::filesystem::file_size(made, error) > 0;
        EXPECT_TRUE(has_content) << "no output named, or an empty one: \"" << made << "\"";
        return has_content ? made : std::string();
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::string s_phone;
    static std::string s_film;
    static std::string s_four_thirds;
    static std::string s_fields;
    TempDir m_dir;
    int m_runs = 0;
};

std::unique_ptr<TempDir> PictureProfiles::s_dir;
std::string PictureProfiles::s_phone;
std::string PictureProfiles::s_film;
std::string PictureProfiles::s_four_thirds;
std::string PictureProfiles::s_fields;

/// What ffprobe says of an output's first video stream, asked once per output (every call
/// costs a program start, and a profile loop makes hundreds of them).
struct OutputVideo
{
    int width = 0;
    int height = 0;
    double fps = 0;
    std::string sample_aspect_ratio; ///< as stated, "1:1"
    double sample_aspect = 1.0; ///< from the display aspect, which every format states
    std::string field_order;
};

OutputVideo ProbeVideo(const std::string &out)
{
    const CommandResult run = RunCommand(
        {"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
         "stream=width,height,r_frame_rate,sample_aspect_ratio,display_aspect_ratio,field_order",
         "-of", "default=noprint_wrappers=1", out});
    // Transport streams list their streams once per programme too: the first value counts.
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals != std::string::npos)
            fields.emplace(line.substr(0, equals), line.substr(equals + 1));
    }
    OutputVideo video;
    video.width = std::atoi(fields["width"].c_str());
    video.height = std::atoi(fields["height"].c_str());
    video.fps = Rational(fields["r_frame_rate"]);
    video.sample_aspect_ratio = fields["sample_aspect_ratio"];
    video.field_order = fields["field_order"];
    const double display = Rational(fields["display_aspect_ratio"]);
    if (display > 0 && video.width > 0)
        video.sample_aspect = display * video.height / video.width;
    return video;
}

/// The second picture of a short output, decoded from the start: a seek into an MPEG-4 AVI
/// lands on a picture that needs an earlier one and decodes grey.
RgbFrame Picture(const std::string &out, const OutputVideo &video)
{
    RgbFrame frame;
    frame.width = video.width;
    frame.height = video.height;
    const CommandResult raw
        = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-i", out, "-vf", "select=eq(n\\,1)",
                      "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (raw.exit_code != 0
        || raw.out.size() != static_cast<std::size_t>(frame.width) * frame.height * 3)
        return {};
    frame.pixels.assign(raw.out.begin(), raw.out.end());
    return frame;
}

} // namespace

TEST_F(PictureProfiles, phoneClipsStayUprightPortraitAndWithinTheLevel)
{
    int checked = 0;
    for (const VideoProfile &profile : BuiltInVideoProfiles()) {
        SCOPED_TRACE(profile.name);
        const std::string out = Convert(profile, s_phone);
        if (out.empty())
            continue;
        const OutputVideo video = ProbeVideo(out);
        const RgbFrame frame = Picture(out, video);
        ASSERT_FALSE(frame.empty());
        const Inner inner = PictureInside(frame, video.sample_aspect);
        EXPECT_NEAR(inner.aspect / (360.0 / 640.0), 1.0, 0.02)
            << inner.width << "x" << inner.height;
        // The band is at the top of the picture, not at a side.
        EXPECT_TRUE(IsWhite(frame.at(frame.width / 2, 2)));
        EXPECT_FALSE(IsWhite(frame.at(frame.width / 2, frame.height - 3)));

        // 60 frames are divided by the smallest whole number that fits the level (H.264 counts
        // macroblocks a second, HEVC luma samples); an HD disc takes the nearest rate it
        // allows, 29.97.
        const double fps = video.fps;
        const bool hevc = profile.record.cVideoCodec.view() == "hevc";
        const double per_picture = hevc
            ? static_cast<double>(video.width) * video.height
            : std::ceil(video.width / 16.0) * std::ceil(video.height / 16.0);
        const std::string level = LevelOf(profile.record.Para.str());
        const int64_t limit = hevc ? HevcLevelLimit(level) : LevelLimit(level);
        int divisor = 1;
        if (limit > 0)
            divisor = static_cast<int>(std::ceil(60.0 * per_picture / limit - 1e-9));
        if (profile.record.TargetType.view() == "m2ts") {
            EXPECT_NEAR(fps, 30000.0 / 1001, 1e-6);
        } else if (profile.record.bVideoCustomFrameRate) {
            EXPECT_NEAR(fps, profile.record.nVideoCustomFrameRate, 0.01);
        } else {
            EXPECT_EQ(fps, 60.0 / std::max(divisor, 1));
        }
        if (limit > 0) {
            EXPECT_LE(per_picture * fps, static_cast<double>(limit));
        }
        ++checked;
    }
    EXPECT_GE(checked, 20);
}

TEST_F(PictureProfiles, aWideFilmKeepsItsShapeInsideTheBars)
{
    for (const VideoProfile &profile : BuiltInVideoProfiles()) {
        SCOPED_TRACE(profile.name);
        const std::string out = Convert(profile, s_film);
        if (out.empty())
            continue;
        const OutputVideo video = ProbeVideo(out);
        const RgbFrame frame = Picture(out, video);
        ASSERT_FALSE(frame.empty());
        const Inner inner = PictureInside(frame, video.sample_aspect);
        EXPECT_NEAR(inner.aspect / 2.4, 1.0, 0.02) << inner.width << "x" << inner.height;
    }
}

TEST_F(PictureProfiles, hdDiscsPillarboxAFourThirdsPictureWithSquarePixels)
{
    int discs = 0;
    for (const VideoProfile &profile : BuiltInVideoProfiles()) {
        if (profile.record.TargetType.view() != "m2ts")
            continue;
        SCOPED_TRACE(profile.name);
        const std::string out = Convert(profile, s_four_thirds);
        if (out.empty())
            continue;
        const OutputVideo video = ProbeVideo(out);
        EXPECT_EQ(video.sample_aspect_ratio, "1:1");
        const RgbFrame frame = Picture(out, video);
        ASSERT_FALSE(frame.empty());
        const Inner inner = PictureInside(frame, 1.0);
        EXPECT_NEAR(inner.aspect / (4.0 / 3.0), 1.0, 0.02);
        EXPECT_GT(inner.left, frame.width / 10); // bars at the sides
        EXPECT_EQ(inner.height, frame.height);
        ++discs;
    }
    EXPECT_EQ(discs, 4);
}

TEST_F(PictureProfiles, interlacedRecordingsComeOutProgressive)
{
    for (const VideoProfile &profile : BuiltInVideoProfiles()) {
        SCOPED_TRACE(profile.name);
        const std::string out = Convert(profile, s_fields);
        if (out.empty())
            continue;
        const CommandResult idet = RunCommand(
            {"ffmpeg", "-nostdin", "-i", out, "-vf", "idet", "-an", "-f", "null", "-"});
        int tff = 0, bff = 0, progressive = 0, undetermined = 0;
        const auto line = idet.err.find("Single frame detection:");
        ASSERT_NE(line, std::string::npos);
        std::sscanf(idet.err.c_str() + line,
                    "Single frame detection: TFF: %d BFF: %d Progressive: %d Undetermined: %d",
                    &tff, &bff, &progressive, &undetermined);
        EXPECT_LE(tff + bff, (tff + bff + progressive + undetermined) / 6)
            << tff << " " << bff << " " << progressive;
        const std::string order = ProbeVideo(out).field_order;
        EXPECT_TRUE(order == "progressive" || order == "unknown") << order;
    }
}
