// SPDX-License-Identifier: GPL-3.0-or-later
#include "MatroskaSamples.h"

#include "Command.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace mkvextract_test {

using quillet::test::ReadFile;
using quillet::test::RunCommand;
using quillet::test::WriteFile;
namespace fs = std::filesystem;

const std::string kLongName = [] {
    std::string name;
    while (name.size() < 200)
        name += "Sous-titres français ";
    return name;
}();

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes &out, unsigned value)
{
    out.push_back(static_cast<std::uint8_t>(value >> 8));
    out.push_back(static_cast<std::uint8_t>(value));
}

/// A DVD subpicture of a 16 x 2 bar: run-length pixel data, one line per field, then a
/// control sequence that shows it (palette, contrast, area, field offsets) and one that hides it.
Bytes Subpicture()
{
    const std::uint8_t top = 4, bottom = 6; // the lines follow the 4-byte packet header
    const unsigned show_at = 8;
    const Bytes show = {0x01, // start display
                        0x03, 0x32, 0x10, // palette
                        0x04, 0xFF, 0xF0, // contrast
                        0x05, 0x00, 0x00, 0x0F, 0x00,   0x00, 0x01, // x 0..15, y 0..1
                        0x06, 0x00, top,  0x00, bottom, // field offsets
                        0xFF};
    const unsigned hide_at = show_at + 4 + static_cast<unsigned>(show.size());

    Bytes body = {0x04, 0x10, 0x04, 0x10}; // per line one run of 16 pixels of colour 1
    Put16(body, 0); // show at once
    Put16(body, hide_at);
    body.insert(body.end(), show.begin(), show.end());
    Put16(body, 50); // hide after 50 * 1024 / 90000 s
    Put16(body, hide_at);
    body.insert(body.end(), {0x02, 0xFF});

    Bytes packet;
    Put16(packet, 4 + static_cast<unsigned>(body.size()));
    Put16(packet, show_at);
    packet.insert(packet.end(), body.begin(), body.end());
    return packet;
}

/// One 2048-byte MPEG program stream pack holding a subpicture in private stream 1
/// (substream 0x20), as VobSub .sub files store them.
Bytes Pack(std::uint64_t pts_90khz, const Bytes &subpicture)
{
    Bytes pack
        = {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8};
    Bytes pes = {0x81,
                 0x80,
                 0x05,
                 static_cast<std::uint8_t>(0x21 | ((pts_90khz >> 29) & 0x0E)),
                 static_cast<std::uint8_t>(pts_90khz >> 22),
                 static_cast<std::uint8_t>(((pts_90khz >> 14) & 0xFE) | 1),
                 static_cast<std::uint8_t>(pts_90khz >> 7),
                 static_cast<std::uint8_t>(((pts_90khz << 1) & 0xFE) | 1),
                 0x20};
    pes.insert(pes.end(), subpicture.begin(), subpicture.end());
    pack.insert(pack.end(), {0x00, 0x00, 0x01, 0xBD});
    Put16(pack, static_cast<unsigned>(pes.size()));
    pack.insert(pack.end(), pes.begin(), pes.end());
    const unsigned padding = 2048 - static_cast<unsigned>(pack.size()) - 6;
    pack.insert(pack.end(), {0x00, 0x00, 0x01, 0xBE});
    Put16(pack, padding);
    pack.insert(pack.end(), padding, 0xFF);
    return pack;
}

/// Writes base.idx and base.sub: two subpictures, at 0.5 s and 1.2 s.
fs::path WriteVobSub(const fs::path &base)
{
    const Bytes picture = Subpicture();
    Bytes sub = Pack(45000, picture);
    const Bytes second = Pack(108000, picture);
    sub.insert(sub.end(), second.begin(), second.end());
    WriteFile(fs::path(base).replace_extension(".sub"),
              std::string_view(reinterpret_cast<const char *>(sub.data()), sub.size()));
    return WriteFile(fs::path(base).replace_extension(".idx"),
                     "# VobSub index file, v7 (do not modify this line!)\n"
                     "size: 720x480\n"
                     "palette: 000000, ffffff, 808080, ff0000, 00ff00, 0000ff, ffff00, ff00ff, "
                     "00ffff, 404040, c0c0c0, 800000, 008000, 000080, 808000, 800080\n"
                     "id: de, index: 0\n"
                     "timestamp: 00:00:00:500, filepos: 000000000\n"
                     "timestamp: 00:00:01:200, filepos: 000000800\n");
}

std::unique_ptr<MatroskaSamples> Make()
{
    // Owned from the start, so a tool that fails does not leave the folder behind.
    auto samples = std::make_unique<MatroskaSamples>();
    const fs::path dir = samples->dir.path();
    const fs::path srt = WriteFile(dir / "in.srt",
                                   "1\n00:00:00,200 --> 00:00:01,000\n"
                                   "Hello from the first line\n\n"
                                   "2\n00:00:01,200 --> 00:00:01,800\n"
                                   "Second line here\n");
    const fs::path ass = WriteFile(
        dir / "in.ass",
        "[Script Info]\nScriptType: v4.00+\nPlayResX: 320\nPlayResY: 240\n\n"
        "[V4+ Styles]\nFormat: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, "
        "OutlineColour, BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, "
        "Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n"
        "Style: Default,Arial,20,&H00FFFFFF,&H000000FF,&H00000000,&H00000000,0,0,0,0,100,100,0,"
        "0,1,1,0,2,10,10,10,1\n\n"
        "[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
        "Text\nDialogue: 0,0:00:00.30,0:00:01.50,Default,,0,0,0,,ASS line one\n");
    const fs::path text = dir / "text.mkv";
    RunTool({"ffmpeg",
             "-nostdin",
             "-v",
             "error",
             "-y",
             "-f",
             "lavfi",
             "-i",
             "testsrc2=size=160x120:rate=25:duration=2",
             "-f",
             "lavfi",
             "-i",
             "sine=frequency=440:duration=2",
             "-i",
             srt.string(),
             "-i",
             ass.string(),
             "-map",
             "0",
             "-map",
             "1",
             "-map",
             "2",
             "-map",
             "3",
             "-c:v",
             "mpeg4",
             "-c:a",
             "aac",
             "-c:s:0",
             "subrip",
             "-c:s:1",
             "ass",
             "-metadata:s:s:0",
             "language=eng",
             "-metadata:s:s:0",
             "title=English text",
             "-metadata:s:s:1",
             "language=fre",
             text.string()});
    const fs::path idx = WriteVobSub(dir / "in_vobsub");
    samples->full = dir / "full.mkv";
    RunTool({"mkvmerge", "-q", "-o", samples->full.string(), text.string(), "--language", "0:ger",
             idx.string()});
    samples->long_name = dir / "long_name.mkv";
    RunTool({"mkvmerge", "-q", "-o", samples->long_name.string(), "--track-name", "2:" + kLongName,
             text.string()});
    samples->needs_mkvmerge = dir / "ac3.mkv";
    RunTool({"ffmpeg",
             "-nostdin",
             "-v",
             "error",
             "-y",
             "-f",
             "lavfi",
             "-i",
             "testsrc2=size=160x120:rate=25:duration=1",
             "-f",
             "lavfi",
             "-i",
             "sine=frequency=440:duration=1",
             "-i",
             srt.string(),
             "-map",
             "0",
             "-map",
             "1",
             "-map",
             "2",
             "-c:v",
             "mpeg4",
             "-c:a",
             "ac3",
             "-c:s",
             "subrip",
             samples->needs_mkvmerge.string()});
    return samples;
}

} // namespace

void RunTool(const std::vector<std::string> &argv)
{
    auto result = RunCommand(argv);
    // mkvmerge exits with 1 for warnings only.
    if (result.exit_code != 0 && !(argv[0] == "mkvmerge" && result.exit_code == 1))
        throw std::runtime_error(argv[0] + " failed: " + result.err + result.out);
}

const MatroskaSamples &Samples()
{
    static const std::unique_ptr<MatroskaSamples> kSamples = Make();
    return *kSamples;
}

fs::path CutCopy(const fs::path &from, const fs::path &to, std::size_t length)
{
    return WriteFile(to, ReadFile(from).substr(0, length));
}

std::size_t FindBytes(const fs::path &file, std::string_view bytes)
{
    return ReadFile(file).find(bytes);
}

} // namespace mkvextract_test
