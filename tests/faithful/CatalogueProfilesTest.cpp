// SPDX-License-Identifier: GPL-3.0-or-later
// Today's profiles make what their players take: each converts a 1080p SDR H.264 clip with stereo
// and a 2160p HDR10 HEVC clip with 5.1, and the output has the codec, profile, level, tag, pixel
// format and colour the profile promises, within the level it names; the lossless ones decode to
// the source's very pictures and samples.
#include "Command.h"
#include "ProfileSet.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace quillet;
using namespace quillet::test;

namespace {

/// What an HDR source becomes.
enum class Hdr {
    Mapped, ///< tone-mapped to SDR and tagged BT.709
    Kept, ///< PQ and BT.2020 kept, with the mastering display
};

struct Promise
{
    std::string profile{}; ///< "FILE.ini:SECTION"
    std::string container{}; ///< a name of ffprobe's format_name
    std::string video{}; ///< codec; "" = no picture
    std::string video_profile{}; ///< as ffprobe names it
    std::string tag{}; ///< codec tag in the file; "" = not checked
    int width = 0; ///< 0: the source's
    int height = 0;
    std::string pixels{}; ///< "" = the source's own
    int max_level = 0; ///< ffprobe's level (H.264 x10, HEVC x30); 0 = not checked
    Hdr hdr = Hdr::Mapped;
    bool sdr_tagged = false; ///< an SDR source comes out tagged BT.709
    std::string audio{};
    int channels = 2; ///< 0: the source's
    int sample_rate = 48000; ///< 0: the source's
    bool lossless = false; ///< decodes to the source's pictures and samples
    bool index_first = false; ///< MP4 index before the data
};

// HEVC levels as ffprobe reports them: 30 times the level.
constexpr int kHevc41 = 123;
constexpr int kHevc50 = 150;
constexpr int kHevc51 = 153;

Promise AppleHevc(const std::string &profile, int width, int height, int level)
{
    return {.profile = profile,
            .container = "mp4",
            .video = "hevc",
            .video_profile = "Main",
            .tag = "hvc1",
            .width = width,
            .height = height,
            .pixels = "yuv420p",
            .max_level = level,
            .audio = "aac"};
}

Promise H264(const std::string &profile, int width, int height, int level, int sample_rate = 48000)
{
    return {.profile = profile,
            .container = "mp4",
            .video = "h264",
            .video_profile = "High",
            .tag = "avc1",
            .width = width,
            .height = height,
            .pixels = "yuv420p",
            .max_level = level,
            .audio = "aac",
            .sample_rate = sample_rate,
            .index_first = true};
}

Promise WebM(const std::string &profile, const std::string &codec, const std::string &level_name)
{
    return {.profile = profile,
            .container = "webm",
            .video = codec,
            .video_profile = level_name,
            .width = 1920,
            .height = 1080,
            .pixels = "yuv420p",
            .audio = "opus"};
}

/// A profile that keeps what the source has, sample for sample.
Promise Lossless(const std::string &profile, const std::string &container, const std::string &video,
                 const std::string &audio)
{
    return {.profile = profile,
            .container = container,
            .video = video,
            .hdr = Hdr::Kept,
            .audio = audio,
            .channels = 0,
            .sample_rate = 0,
            .lossless = true};
}

std::vector<Promise> Promises()
{
    Promise hdr = AppleHevc("appletv4k.ini:Apple TV 4K HEVC HDR (3840x2160), HDR10 and HLG kept",
                            3840, 2160, kHevc50);
    hdr.video_profile = "Main 10";
    hdr.pixels = "yuv420p10le";
    hdr.hdr = Hdr::Kept;
    hdr.sdr_tagged = true;
    return {
        AppleHevc("iphonehevc.ini:iPhone HEVC Full HD (1920x1080)", 1920, 1080, kHevc41),
        AppleHevc("iphonehevc.ini:iPhone HEVC 4K (3840x2160)", 3840, 2160, kHevc50),
        H264("iphonehevc.ini:iPhone H.264 Full HD (1920x1080), plays everywhere", 1920, 1080, 41),
        AppleHevc("ipadhevc.ini:iPad HEVC Full HD (1920x1080)", 1920, 1080, kHevc41),
        AppleHevc("ipadhevc.ini:iPad HEVC 4K (3840x2160)", 3840, 2160, kHevc50),
        H264("ipadhevc.ini:iPad H.264 Full HD (1920x1080), plays everywhere", 1920, 1080, 41),
        AppleHevc("appletv4k.ini:Apple TV 4K HEVC (3840x2160)", 3840, 2160, kHevc50),
        hdr,
        H264("androidtv.ini:Android H.264 Full HD (1920x1080)", 1920, 1080, 41),
        AppleHevc("androidtv.ini:TV and streaming stick HEVC 4K (3840x2160)", 3840, 2160, kHevc51),
        H264("web.ini:Web MP4 H.264 Full HD (1920x1080), starts at once", 1920, 1080, 41),
        WebM("web.ini:Web WebM VP9 Full HD (1920x1080)", "vp9", "Profile 0"),
        WebM("web.ini:Web WebM AV1 Full HD (1920x1080)", "av1", "Main"),
        H264("share.ini:Share, fits in 10 MB (768x432)", 768, 432, 30, 44100),
        H264("share.ini:Share, fits in 25 MB (1280x720)", 1280, 720, 31, 44100),
        Lossless("archive.ini:Archive, lossless (FFV1 and FLAC in Matroska)", "matroska", "ffv1",
                 "flac"),
        Lossless("musicc.ini:FLAC Audio, lossless", "flac", "", "flac"),
        Lossless("musicc.ini:Apple Lossless Audio (M4A)", "mp4", "", "alac"),
        {.profile = "musicc.ini:Opus Audio", .container = "ogg", .audio = "opus"},
        {.profile = "musicc.ini:AAC Audio, 256 kbit/s (M4A)",
         .container = "mp4",
         .audio = "aac",
         .sample_rate = 44100},
    };
}

void Ffmpeg(std::vector<std::string> args)
{
    args.insert(args.begin(), {"ffmpeg", "-v", "error", "-y", "-nostdin"});
    const CommandResult run = RunCommand(args);
    if (run.exit_code != 0)
        throw std::runtime_error("ffmpeg failed: " + run.err);
}

struct Source
{
    std::string name;
    std::string path;
    int width = 0;
    int height = 0;
    std::string pixels;
    int channels = 0;
    int sample_rate = 48000;
    bool hdr = false;
};

/// "key=value" lines of ffprobe about the first stream of a kind ("v:0", "a:0"), and the
/// stream's side data types as "side_data_type" joined by '|'.
std::map<std::string, std::string> Probe(const std::string &path, const std::string &stream)
{
    const CommandResult run = RunCommand(
        {"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
         "format=format_name:stream=codec_name,profile,level,codec_tag_string,pix_fmt,width,"
         "height,avg_frame_rate,color_primaries,color_transfer,color_space,channels,sample_rate:"
         "stream_side_data=side_data_type",
         "-of", "default=noprint_wrappers=1", path});
    std::map<std::string, std::string> fields;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        const auto equals = line.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string key = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (key == "side_data_type")
            fields[key] += value + "|";
        else
            fields.emplace(key, value);
    }
    return fields;
}

double Rate(const std::string &text)
{
    int num = 0, den = 0;
    return std::sscanf(text.c_str(), "%d/%d", &num, &den) == 2 && den > 0
        ? static_cast<double>(num) / den
        : 0.0;
}

/// What the level a profile's output states allows a second: H.264 macroblocks, HEVC luma
/// samples (ITU-T H.264 table A-1, H.265 table A.8).
double LevelAllows(const std::string &codec, int level)
{
    static const std::map<int, double> kH264 = {{30, 40500}, {31, 108000}, {41, 245760}};
    static const std::map<int, double> kHevc
        = {{kHevc41, 133693440.0}, {kHevc50, 267386880.0}, {kHevc51, 534773760.0}};
    const auto &table = codec == "hevc" ? kHevc : kH264;
    const auto it = table.find(level);
    return it == table.end() ? 0 : it->second;
}

/// The top-level boxes of an MP4 file in order, as far as "moov" or "mdat".
bool IndexComesFirst(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    for (;;) {
        unsigned char header[8];
        if (!file.read(reinterpret_cast<char *>(header), 8))
            return false;
        const uint64_t size
            = (uint64_t{header[0]} << 24) | (header[1] << 16) | (header[2] << 8) | header[3];
        const std::string type(reinterpret_cast<char *>(header) + 4, 4);
        if (type == "moov")
            return true;
        if (type == "mdat" || size < 8)
            return false;
        file.seekg(static_cast<std::streamoff>(size - 8), std::ios::cur);
    }
}

/// A checksum of what a file's first stream of a kind decodes to, picture by picture ("0:v:0")
/// or sample by sample as 32-bit integers ("0:a:0"): the same for two files that decode alike.
std::string DecodedChecksum(const std::string &path, const std::string &stream)
{
    std::vector<std::string> args{"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", stream};
    if (stream == "0:a:0")
        args.insert(args.end(), {"-c:a", "pcm_s32le", "-f", "md5", "-"});
    else
        args.insert(args.end(), {"-f", "framemd5", "-"});
    const CommandResult run = RunCommand(args);
    if (run.exit_code != 0)
        return "(" + run.err + ")";
    // framemd5 lines end in each picture's checksum; their times may differ in another container.
    std::string checksums;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with('#'))
            checksums += line.substr(line.rfind(',') + 1) + "\n";
    return checksums;
}

class CatalogueProfiles : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::make_unique<TempDir>();
        // As short as each promise shows: 60 pictures a second, so that a level that holds fewer
        // must halve them, and enough of them for the encoders' look-ahead.
        Source sdr{"1080p SDR", s_dir->file("sdr.mkv"), 1920, 1080, "yuv420p", 2, 48000, false};
        Ffmpeg({"-f", "lavfi", "-i", "testsrc2=s=1920x1080:r=60:d=0.3", "-f", "lavfi", "-i",
                "sine=f=440:r=48000:d=0.3", "-ac", "2", "-c:v", "libx264", "-preset", "ultrafast",
                "-pix_fmt", "yuv420p", "-c:a", "pcm_s16le", sdr.path});
        // HDR10 as cameras and downloads have it: HEVC Main 10, BT.2020, PQ, a 1000 cd/m2
        // mastering display; 24-bit 5.1 sound.
        Source hdr{"2160p HDR10", s_dir->file("hdr.mkv"), 3840, 2160, "yuv420p10le", 6, 48000,
                   true};
        Ffmpeg({"-f",
                "lavfi",
                "-i",
                "testsrc2=s=3840x2160:r=60:d=0.3,format=yuv420p10le",
                "-f",
                "lavfi",
                "-i",
                "sine=f=440:r=48000:d=0.3",
                "-af",
                "aformat=channel_layouts=5.1",
                "-c:v",
                "libx265",
                "-preset",
                "ultrafast",
                "-x265-params",
                "log-level=error:colorprim=bt2020:transfer=smpte2084:colormatrix=bt2020nc:"
                "master-display=G(13250,34500)B(7500,3000)R(34000,16000)WP(15635,16450)"
                "L(10000000,1):max-cll=1000,400",
                "-color_primaries",
                "bt2020",
                "-color_trc",
                "smpte2084",
                "-colorspace",
                "bt2020nc",
                "-c:a",
                "pcm_s24le",
                hdr.path});
        s_sources = {sdr, hdr};
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    /// The output of profile from source: each distinct conversion made once (an iPhone's and
    /// an iPad's 4K convert alike). "" when it failed.
    static std::string Output(const Promise &promise, const Source &source)
    {
        static std::map<std::string, std::string> made;
        ProfileRecord record;
        const auto colon = promise.profile.find(':');
        ProfileFile::Read(promise.profile.substr(colon + 1), record,
                          ProgramDir() / "ini" / promise.profile.substr(0, colon));
        const std::string key = ConversionSettings(record) + "|" + source.path;
        if (const auto it = made.find(key); it != made.end())
            return it->second;
        const auto folder = s_dir->path() / ("out-" + std::to_string(made.size()));
        const CommandResult run = RunCommand(
            {(ProgramDir() / "quillet-cli").string(), "-p", promise.profile, "-o", folder.string(),
             source.path},
            {"QUILLET_SETTINGS_DIR=" + s_dir->file("settings"), "DISPLAY=", "WAYLAND_DISPLAY="});
        EXPECT_EQ(run.exit_code, 0) << run.err;
        return made[key] = run.exit_code == 0 ? run.out.substr(0, run.out.find('\n')) : "";
    }

    static std::unique_ptr<TempDir> s_dir;
    static std::vector<Source> s_sources;
};

std::unique_ptr<TempDir> CatalogueProfiles::s_dir;
std::vector<Source> CatalogueProfiles::s_sources;

void CheckPicture(const Promise &p, const Source &source, const std::string &out)
{
    auto video = Probe(out, "v:0");
    ASSERT_EQ(video["codec_name"], p.video);
    if (!p.video_profile.empty()) {
        EXPECT_EQ(video["profile"], p.video_profile);
    }
    if (!p.tag.empty()) {
        EXPECT_EQ(video["codec_tag_string"], p.tag);
    }
    EXPECT_EQ(std::stoi(video["width"]), p.width ? p.width : source.width);
    EXPECT_EQ(std::stoi(video["height"]), p.height ? p.height : source.height);
    EXPECT_EQ(video["pix_fmt"], p.pixels.empty() ? source.pixels : p.pixels);

    // Within the level the stream states, and that level within the device's.
    const double fps = Rate(video["avg_frame_rate"]);
    if (p.max_level > 0) {
        EXPECT_LE(std::stoi(video["level"]), p.max_level);
        const double per_picture = p.video == "hevc"
            ? static_cast<double>(p.width) * p.height
            : std::ceil(p.width / 16.0) * std::ceil(p.height / 16.0);
        const double allowed = LevelAllows(p.video, p.max_level);
        EXPECT_LE(per_picture * fps, allowed * 1.001) << fps << " fps";
        // A level that holds the source's 60 pictures a second keeps them all.
        if (per_picture * 60 <= allowed) {
            EXPECT_EQ(fps, 60);
        }
    }

    // HDR kept where promised and only there; mapped to BT.709 elsewhere; an SDR source said to
    // be SDR where the profile promises tags, and never made HDR.
    const bool hdr_out = source.hdr && p.hdr == Hdr::Kept;
    const bool mastering = video["side_data_type"].find("Mastering display") != std::string::npos;
    EXPECT_EQ(mastering, hdr_out) << video["side_data_type"];
    if (hdr_out) {
        EXPECT_EQ(video["color_transfer"], "smpte2084");
        EXPECT_EQ(video["color_primaries"], "bt2020");
        EXPECT_EQ(video["color_space"], "bt2020nc");
    } else if (source.hdr || p.sdr_tagged) {
        EXPECT_EQ(video["color_transfer"], "bt709");
        EXPECT_EQ(video["color_primaries"], "bt709");
        EXPECT_EQ(video["color_space"], "bt709");
    } else {
        EXPECT_EQ(video["color_transfer"], "unknown");
    }
}

} // namespace

TEST_F(CatalogueProfiles, eachProfileMakesWhatItsPlayersTakeFromSdrAndHdrSources)
{
    for (const Source &source : s_sources) {
        for (const Promise &p : Promises()) {
            SCOPED_TRACE(p.profile + " from the " + source.name + " clip");
            const std::string out = Output(p, source);
            ASSERT_FALSE(out.empty());
            auto audio = Probe(out, "a:0");
            EXPECT_NE(audio["format_name"].find(p.container), std::string::npos)
                << audio["format_name"];
            EXPECT_EQ(audio["codec_name"], p.audio);
            EXPECT_EQ(std::stoi(audio["channels"]), p.channels ? p.channels : source.channels);
            EXPECT_EQ(std::stoi(audio["sample_rate"]),
                      p.sample_rate ? p.sample_rate : source.sample_rate);
            if (p.video.empty()) {
                EXPECT_EQ(Probe(out, "v:0").count("codec_name"), 0U);
            } else {
                CheckPicture(p, source, out);
            }
            if (p.index_first) {
                EXPECT_TRUE(IndexComesFirst(out));
            }
        }
    }
}

TEST_F(CatalogueProfiles, losslessProfilesDecodeToTheSourcesPicturesAndSamples)
{
    for (const Source &source : s_sources) {
        for (const Promise &p : Promises()) {
            if (!p.lossless)
                continue;
            SCOPED_TRACE(p.profile + " from the " + source.name + " clip");
            const std::string out = Output(p, source);
            ASSERT_FALSE(out.empty());
            EXPECT_EQ(DecodedChecksum(out, "0:a:0"), DecodedChecksum(source.path, "0:a:0"));
            if (p.video.empty())
                continue;
            EXPECT_EQ(DecodedChecksum(out, "0:v:0"), DecodedChecksum(source.path, "0:v:0"));
            // FFV1 version 3, cut into slices that each carry a checksum.
            const CommandResult header
                = RunCommand({"ffmpeg", "-nostdin", "-v", "debug", "-debug", "pict", "-i", out,
                              "-frames:v", "1", "-f", "null", "-"});
            const auto at = header.err.find("global: ver:");
            ASSERT_NE(at, std::string::npos);
            int version = 0, error_correction = 0, columns = 0, rows = 0;
            std::sscanf(header.err.c_str() + at, "global: ver:%d", &version);
            std::sscanf(header.err.c_str() + header.err.find("slices:", at), "slices:%dx%d",
                        &columns, &rows);
            std::sscanf(header.err.c_str() + header.err.find("ec:", at), "ec:%d",
                        &error_correction);
            EXPECT_EQ(version, 3);
            EXPECT_EQ(error_correction, 1);
            EXPECT_GT(columns * rows, 1);
        }
    }
}
