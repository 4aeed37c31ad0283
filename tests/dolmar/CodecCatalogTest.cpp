// SPDX-License-Identifier: GPL-3.0-or-later
// The codec names of the dialect and the default encoders of each output format, against this
// system's FFmpeg: every name docs/engine-options.md lists either finds the encoder it stands for
// or is one of the names it says this system has no encoder for.

#include "CodecCatalog.h"

#include "EngineUnit.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace dolmar;
using dolmar_unit::RefusalOf;

namespace {

// The documented names and the encoder each stands for here.
const std::map<std::string, std::string> kVideoNames = {
    {"dvvideo", "dvvideo"},
    {"h261", "h261"},
    {"h263", "h263"},
    {"h263p", "h263p"},
    {"h264", "libx264"},
    {"huffyuv", "huffyuv"},
    {"flv", "flv"},
    {"ljpeg", "ljpeg"},
    {"mjpeg", "mjpeg"},
    {"mpeg1video", "mpeg1video"},
    {"mpeg2video", "mpeg2video"},
    {"mpeg4", "mpeg4"},
    {"msmpeg4v2", "msmpeg4v2"},
    {"msmpeg4", "msmpeg4"},
    {"rawvideo", "rawvideo"},
    {"rv10", "rv10"},
    {"rv20", "rv20"},
    {"svq1", "svq1"},
    {"wmv1", "wmv1"},
    {"wmv2", "wmv2"},
    {"xvid", "libxvid"},
    {"asv1", "asv1"},
    {"asv2", "asv2"},
    {"zlib", "zlib"},
    {"pam", "pam"},
    {"pbm", "pbm"},
    {"pgm", "pgm"},
    {"pgmyuv", "pgmyuv"},
    {"png", "png"},
    {"ppm", "ppm"},
    {"x264", "libx264"},
    {"divx", "mpeg4"},
    {"hevc", "libx265"},
    {"h265", "libx265"},
    {"vp8", "libvpx"},
    {"vp9", "libvpx-vp9"},
    {"theora", "libtheora"},
    {"av1", "libsvtav1"},
    {"ffv1", "ffv1"},
};
const std::map<std::string, std::string> kAudioNames = {
    {"aac", "aac"},
    {"ac3", "ac3"},
    {"gsm", "libgsm"},
    {"mp2", "mp2"},
    {"mp3", "libmp3lame"},
    {"vorbis", "libvorbis"},
    {"adpcm_ms", "adpcm_ms"},
    {"adpcm_g726", "g726"},
    {"pcm_s16le", "pcm_s16le"},
    {"pcm_mulaw", "pcm_mulaw"},
    {"opus", "libopus"},
    {"wma", "wmav2"},
    {"flac", "flac"},
    {"alac", "alac"},
};
// What docs/engine-options.md says Debian 12's FFmpeg has no encoder for.
const std::set<std::string> kNoEncoderVideo = {"msmpeg4v1"};
const std::set<std::string> kNoEncoderAudio
    = {"amr_nb",    "amr_wb",   "adpcm_ima_dk3", "adpcm_ima_dk4", "adpcm_ima_smjpeg",
       "adpcm_4xm", "adpcm_xa", "adpcm_ea",      "adpcm_ct"};

std::string EncoderName(const AVCodec *codec)
{
    return codec ? codec->name : "(none)";
}

/// The default encoders of a file named "out.<extension>", or of -f format.
std::pair<std::string, std::string> Defaults(const std::string &path,
                                             const std::string &forced = {})
{
    const AVOutputFormat *format = CodecCatalog::OutputFormat(path, forced);
    return {EncoderName(CodecCatalog::DefaultVideoEncoder(format, path)),
            EncoderName(CodecCatalog::DefaultAudioEncoder(format, path))};
}

} // namespace

TEST(CodecCatalog, everyDocumentedNameFindsItsEncoder)
{
    for (const auto &[name, encoder] : kVideoNames)
        EXPECT_EQ(EncoderName(CodecCatalog::VideoEncoder(name)), encoder) << name;
    for (const auto &[name, encoder] : kAudioNames)
        EXPECT_EQ(EncoderName(CodecCatalog::AudioEncoder(name)), encoder) << name;
    // The option sheet stores lower case; a hand-edited profile may not.
    EXPECT_EQ(EncoderName(CodecCatalog::VideoEncoder("H264")), "libx264");
    EXPECT_EQ(EncoderName(CodecCatalog::AudioEncoder("MP3")), "libmp3lame");
    // Any FFmpeg encoder name is taken as it is.
    EXPECT_EQ(EncoderName(CodecCatalog::VideoEncoder("libx264rgb")), "libx264rgb");
}

TEST(CodecCatalog, namesWithoutAnEncoderHereAreRefusedAsDocumented)
{
    for (const std::string &name : kNoEncoderVideo)
        EXPECT_EQ(RefusalOf([&] { CodecCatalog::VideoEncoder(name); }),
                  "This system has no encoder for the video codec \"" + name + "\".");
    for (const std::string &name : kNoEncoderAudio)
        EXPECT_EQ(RefusalOf([&] { CodecCatalog::AudioEncoder(name); }),
                  "This system has no encoder for the audio codec \"" + name + "\".");
    EXPECT_EQ(RefusalOf([] { CodecCatalog::AudioEncoder("chirp"); }),
              "The audio codec \"chirp\" is unknown.");
    EXPECT_EQ(RefusalOf([] { CodecCatalog::VideoEncoder("mp3"); }),
              "\"mp3\" is not a video codec.");
    EXPECT_EQ(RefusalOf([] { CodecCatalog::AudioEncoder("mpeg4"); }),
              "\"mpeg4\" is not an audio codec.");
}

TEST(CodecCatalog, autoOrNothingLeavesTheChoiceToTheFormat)
{
    EXPECT_TRUE(CodecCatalog::IsAuto(""));
    EXPECT_TRUE(CodecCatalog::IsAuto("AUTO"));
    EXPECT_FALSE(CodecCatalog::IsAuto("automatic"));
}

TEST(CodecCatalog, eachOutputFormatGetsTheDocumentedDefaults)
{
    using Pair = std::pair<std::string, std::string>;
    const std::map<std::string, Pair> expected = {
        {"mp4", {"libx264", "aac"}},       {"m4v", {"libx264", "aac"}},
        {"mov", {"libx264", "aac"}},       {"m4a", {"(none)", "aac"}},
        {"m4b", {"(none)", "aac"}},        {"avi", {"mpeg4", "libmp3lame"}},
        {"mp3", {"(none)", "libmp3lame"}}, {"wav", {"(none)", "pcm_s16le"}},
        {"mpg", {"mpeg2video", "mp2"}},    {"mpeg", {"mpeg2video", "mp2"}},
        {"vob", {"mpeg2video", "ac3"}},    {"ts", {"libx264", "ac3"}},
        {"m2ts", {"libx264", "ac3"}},      {"mts", {"libx264", "ac3"}},
        {"m2t", {"libx264", "ac3"}},       {"wmv", {"wmv2", "wmav2"}},
        {"asf", {"wmv2", "wmav2"}},        {"wma", {"(none)", "wmav2"}},
        {"flv", {"flv", "libmp3lame"}},    {"swf", {"flv", "libmp3lame"}},
        {"3gp", {"h263", "aac"}},          {"3g2", {"h263", "aac"}},
        {"mkv", {"libx264", "aac"}},       {"mka", {"(none)", "libvorbis"}},
        {"webm", {"libvpx", "libvorbis"}}, {"ogv", {"libtheora", "libvorbis"}},
        {"ogg", {"(none)", "libvorbis"}},  {"oga", {"(none)", "libvorbis"}},
        {"aac", {"(none)", "aac"}},        {"ac3", {"(none)", "ac3"}},
        {"flac", {"(none)", "flac"}},      {"mp2", {"(none)", "mp2"}},
        {"aiff", {"(none)", "pcm_s16be"}}, {"au", {"(none)", "pcm_s16be"}},
        {"dv", {"dvvideo", "pcm_s16le"}},  {"opus", {"(none)", "libopus"}},
    };
    for (const auto &[extension, encoders] : expected)
        EXPECT_EQ(Defaults("/out/clip." + extension), encoders) << extension;
    // Upper-case extensions mean the same; -f names the format whatever the extension says.
    EXPECT_EQ(Defaults("/out/CLIP.MP4"), (Pair{"libx264", "aac"}));
    EXPECT_EQ(Defaults("/out/clip.bin", "dvd"), (Pair{"mpeg2video", "ac3"}));
    EXPECT_EQ(Defaults("/out/clip.mpg", "vcd"), (Pair{"mpeg1video", "mp2"}));
    EXPECT_EQ(Defaults("/out/clip", "vcd"), (Pair{"mpeg1video", "mp2"}));
}

TEST(CodecCatalog, formatsAreFoundByExtensionOrNamedWithF)
{
    EXPECT_EQ(std::string(CodecCatalog::OutputFormat("/out/a.m2ts", "")->name), "mpegts");
    EXPECT_EQ(std::string(CodecCatalog::OutputFormat("/out/a.mkv", "")->name), "matroska");
    EXPECT_EQ(std::string(CodecCatalog::OutputFormat("/out/a.bin", "mp4")->name), "mp4");
    EXPECT_EQ(RefusalOf([] { CodecCatalog::OutputFormat("/out/a.qqq", ""); }),
              "The output format of \"/out/a.qqq\" cannot be told from its extension; name it "
              "with -f.");
    EXPECT_EQ(RefusalOf([] { CodecCatalog::OutputFormat("/out/a.mp4", "qqq"); }),
              "The output format \"qqq\" of -f is unknown.");
}

TEST(CodecCatalog, anEncoderTheContainerCannotHoldIsRefused)
{
    const AVOutputFormat *mp4 = CodecCatalog::OutputFormat("/out/a.mp4", "");
    EXPECT_EQ(RefusalOf([&] {
                  CodecCatalog::CheckFits(mp4, CodecCatalog::VideoEncoder("wmv2"), "/out/a.mp4");
              }),
              "The mp4 format of \"/out/a.mp4\" cannot hold wmv2 video; choose another codec or "
              "format.");
    EXPECT_EQ(RefusalOf([&] {
                  CodecCatalog::CheckFits(mp4, CodecCatalog::VideoEncoder("h264"), "/out/a.mp4");
                  CodecCatalog::CheckFits(mp4, CodecCatalog::AudioEncoder("mp3"), "/out/a.mp4");
              }),
              "");
    // Today's codecs where their players look for them, and one that WebM does not take.
    struct Case
    {
        std::string path;
        std::string codec;
        bool video;
        bool holds;
    };
    const std::vector<Case> cases = {
        {"/out/a.mp4", "hevc", true, true},  {"/out/a.mp4", "av1", true, true},
        {"/out/a.webm", "vp9", true, true},  {"/out/a.webm", "av1", true, true},
        {"/out/a.mkv", "ffv1", true, true},  {"/out/a.webm", "h264", true, false},
        {"/out/a.m4a", "alac", false, true}, {"/out/a.webm", "opus", false, true},
        {"/out/a.mkv", "flac", false, true}, {"/out/a.webm", "aac", false, false},
    };
    for (const Case &c : cases) {
        const AVOutputFormat *format = CodecCatalog::OutputFormat(c.path, "");
        const AVCodec *encoder
            = c.video ? CodecCatalog::VideoEncoder(c.codec) : CodecCatalog::AudioEncoder(c.codec);
        EXPECT_EQ(RefusalOf([&] { CodecCatalog::CheckFits(format, encoder, c.path); }).empty(),
                  c.holds)
            << c.path << " " << c.codec;
    }
}
