// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubtitleFile.h"

#include "AvOwners.h"
#include "EngineError.h"
#include "SubtitleInput.h"
#include "platform/TextCase.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace dolmar {

namespace {

// Subtitle files are small; anything bigger is not one, and need not be read whole.
constexpr std::size_t kMaxSubtitleBytes = std::size_t{64} * 1024 * 1024;

/// What the file holds, up to the limit; read in pieces, so that a file of a few kilobytes costs
/// a few kilobytes.
std::string ReadBytes(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    std::string bytes;
    std::array<char, std::size_t{64} * 1024> piece{};
    while (file && bytes.size() < kMaxSubtitleBytes) {
        const std::size_t wanted = std::min(piece.size(), kMaxSubtitleBytes - bytes.size());
        file.read(piece.data(), static_cast<std::streamsize>(wanted));
        bytes.append(piece.data(), static_cast<std::size_t>(file.gcount()));
    }
    return bytes;
}

bool HasUtf16Bom(const std::string &bytes)
{
    return bytes.size() >= 2
        && ((bytes[0] == '\xFF' && bytes[1] == '\xFE')
            || (bytes[0] == '\xFE' && bytes[1] == '\xFF'));
}

/// MicroDVD lines start with "{frame}{frame}" or "{frame}{}".
bool LooksLikeMicroDvd(const std::string &text)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.size() >= 3 && line.compare(0, 3, "\xEF\xBB\xBF") == 0)
            line.erase(0, 3);
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        int start = 0;
        char c = 0;
        return std::sscanf(line.c_str(), "{%d}{%*d}%c", &start, &c) == 2
            || std::sscanf(line.c_str(), "{%d}{}%c", &start, &c) == 2;
    }
    return false;
}

/// A fresh name in the temporary folder for the copy of the subtitle file at path.
std::filesystem::path TemporaryName(const std::string &path, const std::string &extension)
{
    static std::atomic<int> counter{0};
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        ThrowFailed("Could not prepare the subtitle file " + Quoted(path)
                    + ": the temporary folder cannot be used (" + error.message() + ").");
    return folder
        / ("dolmar-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + extension);
}

} // namespace

SubtitleFile::SubtitleFile(const std::string &path, AVRational video_frame_rate)
    : m_path(path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        ThrowFailed("The subtitle file " + Quoted(path) + " cannot be found.");

    const std::filesystem::path fs_path(path);
    const std::string extension = quillet::platform::ToLower(fs_path.extension().string());
    std::filesystem::path index = fs_path;
    index.replace_extension(".idx");
    if (extension == ".idx" || (extension == ".sub" && std::filesystem::exists(index, error))) {
        // VobSub: the .idx holds the palette and the times, the .sub beside it the pictures.
        m_kind = Kind::Bitmap;
        m_path = index.string();
        return;
    }

    const std::string bytes = ReadBytes(fs_path);
    if (!HasUtf16Bom(bytes) && !quillet::platform::IsValidUtf8(bytes))
        m_charset = "CP1252";
    if (LooksLikeMicroDvd(bytes)) {
        ConvertToAss(path, true, video_frame_rate);
        return;
    }

    SubtitleInput input = SubtitleInput::Open(path);
    InputContextPtr &format = input.format;
    const AVStream *stream = input.stream;
    const AVCodecDescriptor *desc = avcodec_descriptor_get(stream->codecpar->codec_id);
    if (desc && (desc->props & AV_CODEC_PROP_BITMAP_SUB)) {
        m_kind = Kind::Bitmap;
        return;
    }
    if (stream->codecpar->codec_id == AV_CODEC_ID_ASS
        && std::string_view(format->iformat->name) == "ass")
        return;
    format.reset();
    ConvertToAss(path, false, video_frame_rate);
}

SubtitleFile::~SubtitleFile()
{
    if (!m_temporary.empty()) {
        std::error_code ignored;
        std::filesystem::remove(m_temporary, ignored);
    }
}

namespace {

/// ASS time: H:MM:SS.CC
std::string AssTime(int64_t ms)
{
    if (ms < 0)
        ms = 0;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d.%02d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms / 10 % 100));
    return text;
}

// An event whose end nobody states is shown this long.
constexpr int64_t kOpenEndMs = 5000;

} // namespace

void SubtitleFile::ConvertToAss(const std::string &path, bool micro_dvd,
                                AVRational video_frame_rate)
{
    const AVInputFormat *forced = micro_dvd ? av_find_input_format("microdvd") : nullptr;
    Dictionary options;
    if (micro_dvd && video_frame_rate.num > 0 && video_frame_rate.den > 0) {
        // Used only when the file does not state its own rate in its first line.
        const std::string rate
            = std::to_string(video_frame_rate.num) + "/" + std::to_string(video_frame_rate.den);
        options.Set("subfps", rate.c_str());
    }
    SubtitleInput input = SubtitleInput::Open(path, forced, options.Address());
    const InputContextPtr &format = input.format;
    const AVStream *stream = input.stream;
    Dictionary codec_options;
    if (!m_charset.empty())
        codec_options.Set("sub_charenc", m_charset.c_str());
    CodecContextPtr decoder = input.OpenDecoder(path, codec_options.Address());
    m_charset.clear(); // the ASS copy is UTF-8

    std::string events;
    PacketPtr packet = MakePacket();
    for (int count = 0; count < kMaxSubtitlePackets; ++count) {
        if (av_read_frame(format.get(), packet.get()) < 0)
            break;
        if (packet->stream_index != stream->index) {
            av_packet_unref(packet.get());
            continue;
        }
        DecodedSubtitle decoded;
        int got = 0;
        const int64_t packet_ms = packet->duration > 0
            ? av_rescale_q(packet->duration, stream->time_base, AVRational{1, 1000})
            : 0;
        const int ret = avcodec_decode_subtitle2(decoder.get(), &decoded.sub, &got, packet.get());
        av_packet_unref(packet.get());
        // A line that does not decode (an empty clearing line) is skipped, not fatal.
        if (ret < 0 || !got || decoded.sub.pts == AV_NOPTS_VALUE)
            continue;
        const AVSubtitle &sub = decoded.sub;
        const int64_t start_ms = sub.pts / 1000 + sub.start_display_time;
        int64_t length_ms
            = sub.end_display_time > sub.start_display_time && sub.end_display_time != UINT32_MAX
            ? int64_t{sub.end_display_time} - sub.start_display_time
            : packet_ms;
        if (length_ms <= 0)
            length_ms = kOpenEndMs;
        for (unsigned i = 0; i < sub.num_rects; ++i) {
            // FFmpeg's ASS event: "ReadOrder,Layer,Style,Name,MarginL,MarginR,MarginV,Effect,Text".
            const char *ass = sub.rects[i]->ass;
            if (!ass)
                continue;
            std::string_view line(ass);
            const auto first = line.find(',');
            const auto second = first == std::string_view::npos ? first : line.find(',', first + 1);
            if (second == std::string_view::npos)
                continue;
            events += "Dialogue: ";
            events += line.substr(first + 1, second - first - 1);
            events += "," + AssTime(start_ms) + "," + AssTime(start_ms + length_ms) + ",";
            events += line.substr(second + 1);
            events += "\n";
        }
    }

    m_temporary = TemporaryName(path, ".ass");
    std::ofstream copy(m_temporary, std::ios::binary);
    if (decoder->subtitle_header && decoder->subtitle_header_size > 0)
        copy.write(reinterpret_cast<const char *>(decoder->subtitle_header),
                   decoder->subtitle_header_size);
    copy << "\n" << events;
    copy.close();
    if (!copy)
        ThrowFailed("Could not prepare the subtitle file " + Quoted(path)
                    + " in the temporary folder.");
    m_path = m_temporary.string();
}

} // namespace dolmar
