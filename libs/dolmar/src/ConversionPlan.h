// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What one ffmain call is asked to do, as plain values: the option parser turns the argument
// dialect into a ConversionPlan, and the transcoder runs it. Nothing here refers to FFmpeg, so
// the parser can be tested without opening any file. Units are in the names.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dolmar {

/// A rational frame rate (30000/1001 for NTSC).
struct FrameRate
{
    int num = 0;
    int den = 1;
    bool Valid() const { return num > 0 && den > 0; }
};

/// One source file. In a merged run each -ivs/-ias pair is one of these, joined in order.
struct InputOptions
{
    std::string path;
    std::string format; ///< forced demuxer (-f before the input); empty = probe
    int64_t start_us = 0; ///< -ss: skip this much of the source
    std::optional<int64_t> duration_us; ///< -t: keep at most this much after start_us
    int decoder_threads = 0; ///< -threads before the input; 0 = every core
    bool platform_route = false; ///< "&dshow" or EnableDshow: recorded, read by libavformat
};

struct CropBands
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

struct PadBands
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
    uint32_t color_rgb = 0; ///< 0xRRGGBB
    bool Any() const { return top || bottom || left || right; }
};

struct VideoSettings
{
    std::string codec; ///< dialect name ("h264", "xvid"); empty or "auto" = the format's default
    int64_t bit_rate = 0; ///< bit/s; 0 = the encoder's own quality-based rate control
    FrameRate frame_rate; ///< -r; invalid = the source's rate
    int width = 0; ///< -s: the picture before padding; 0 = the cropped source size
    int height = 0;
    CropBands crop;
    PadBands pad;
    double display_aspect = 0; ///< -aspect of the final (padded) frame; 0 = keep
    bool high_quality = false; ///< -hq
    std::string profile; ///< -vprofile / -profile:v
    std::string level; ///< -level ("30" or "3.0")
    std::string preset; ///< -preset
    std::string tune; ///< -tune
    std::string pixel_format; ///< -pix_fmt
    std::string x264_params; ///< -x264-params / -x264opts
    std::string x265_params; ///< -x265-params: libx265's own key=value settings
    std::string svtav1_params; ///< -svtav1-params: SVT-AV1's own key=value settings
    std::string deadline; ///< -deadline (libvpx): best, good, realtime
    std::optional<int> cpu_used; ///< -cpu-used (libvpx): speed against quality
    std::optional<int> row_mt; ///< -row-mt (libvpx-vp9): 0/1, rows coded in parallel
    std::optional<int> tile_columns; ///< -tile-columns (libvpx-vp9), log2
    std::optional<int> slices; ///< -slices: picture slices (FFV1, MPEG-2 ...)
    std::optional<int> slice_crc; ///< -slicecrc (FFV1): 0/1, a checksum on every slice
    std::optional<int> context; ///< -context (FFV1): 0 small, 1 large context model
    /// -color_primaries, -color_trc, -colorspace, -color_range: FFmpeg's names of the colour tags
    /// an output whose picture stays SDR states where its source states none; empty = none.
    std::string color_primaries;
    std::string color_transfer;
    std::string color_space;
    std::string color_range;
    std::optional<int> gop_size; ///< -g
    std::optional<int> b_frames; ///< -bf
    std::optional<int> refs; ///< -refs
    std::optional<int> coder; ///< -coder (0 CAVLC, 1 CABAC)
    std::optional<int> qmin;
    std::optional<int> qmax;
    std::optional<double> crf; ///< -crf
    std::optional<double> qscale; ///< -qscale / -q:v: fixed quantiser
    std::optional<int64_t> max_rate; ///< -maxrate, bit/s
    std::optional<int64_t> min_rate; ///< -minrate, bit/s
    std::optional<int64_t> buffer_size; ///< -bufsize, bits
    std::string tag; ///< -vtag FOURCC
    int pass = 0; ///< -pass: 1 or 2 of a two-pass encode; 0 = one pass
    /// -passlogfile: the prefix of the first pass's statistics file ("PREFIX-0.log"); a pass
    /// needs one, as a log in the working folder would be shared by every run.
    std::string pass_log;
};

struct AudioSettings
{
    std::string codec; ///< dialect name; empty or "auto" = the format's default
    int sample_rate = 0; ///< -ar, Hz; 0 = the source's
    int channels = 0; ///< -ac; 0 = the source's
    int volume = 256; ///< -vol; 256 = unchanged
    int64_t bit_rate = 0; ///< -ab, bit/s; 0 = the encoder's default
    std::optional<double> quality; ///< -aq / -q:a: VBR quality, encoder's own scale
    std::string tag; ///< -atag FOURCC
};

struct OutputOptions
{
    std::string path;
    std::string format; ///< -f; empty = from the extension
    bool no_video = false; ///< -vn
    bool no_audio = false; ///< -an
    VideoSettings video;
    /// [0] holds the options given before the output path; each -newaudio group adds one.
    std::vector<AudioSettings> audio{AudioSettings{}};
    /// -map 0:N entries in order: source stream indexes.
    std::vector<int> maps;
    std::string subtitle_path; ///< -vhook "SubTitleHook -f FILE"
    int64_t size_limit_bytes = 0; ///< -fs (given in KiB); 0 = no limit
    std::string movflags; ///< -movflags
    int64_t mux_rate = 0; ///< -muxrate, bit/s
    int packet_size = 0; ///< -packetsize, bytes
    std::optional<int> strictness; ///< -strict
    int encoder_threads = 0; ///< -threads after the input; 0 = every core
    /// In a merged run, its segments in order (as ConversionPlan::inputs): the output has a
    /// chapter for each. Empty otherwise.
    std::vector<InputOptions> joined;
};

struct ConversionPlan
{
    std::vector<InputOptions> inputs;
    bool merged = false; ///< inputs came as -ivs/-ias segments, joined into one output
    OutputOptions output;
};

} // namespace dolmar
