// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubtitleFixtures.h"

#include "TempDir.h"

#include <cstdint>
#include <string>

namespace quillet::test {

namespace {

void PutBe16(std::string &out, int value)
{
    out += static_cast<char>((value >> 8) & 0xFF);
    out += static_cast<char>(value & 0xFF);
}

/// A VobSub pair (.idx + .sub) with one subtitle: a red box at (40,180)-(279,219) on a 320x240
/// canvas, from 0.5 s for about 1 s. Written by hand, as DVD authoring tools do: an SPU with
/// run-length lines ("fill to end of line" in colour 1) inside an MPEG programme-stream packet.
} // namespace

void WriteVobSub(const std::filesystem::path &idx)
{
    const int x1 = 40, x2 = 279, y1 = 180, y2 = 219;
    const int height = y2 - y1 + 1;
    std::string top, bottom;
    for (int line = 0; line < height; ++line)
        (line % 2 ? bottom : top) += std::string("\x00\x01", 2);
    const int top_offset = 4;
    const int bottom_offset = top_offset + static_cast<int>(top.size());
    const int first_sequence = bottom_offset + static_cast<int>(bottom.size());
    std::string commands;
    commands += "\x03"; // colours: pixel value 1 -> palette entry 1
    PutBe16(commands, 0x0010);
    commands += "\x04"; // contrast: pixel value 1 opaque
    PutBe16(commands, 0x00F0);
    commands += "\x05"; // display area
    commands += static_cast<char>(x1 >> 4);
    commands += static_cast<char>(((x1 & 0xF) << 4) | (x2 >> 8));
    commands += static_cast<char>(x2 & 0xFF);
    commands += static_cast<char>(y1 >> 4);
    commands += static_cast<char>(((y1 & 0xF) << 4) | (y2 >> 8));
    commands += static_cast<char>(y2 & 0xFF);
    commands += "\x06"; // field offsets
    PutBe16(commands, top_offset);
    PutBe16(commands, bottom_offset);
    commands += "\x01"; // start display
    commands += "\xFF";
    const int second_sequence = first_sequence + 4 + static_cast<int>(commands.size());
    std::string spu_body = top + bottom;
    PutBe16(spu_body, 0);
    PutBe16(spu_body, second_sequence);
    spu_body += commands;
    PutBe16(spu_body, 1000 * 90 / 1024); // stop after about one second
    PutBe16(spu_body, second_sequence);
    spu_body += "\x02\xFF";
    std::string spu;
    PutBe16(spu, 4 + static_cast<int>(spu_body.size()));
    PutBe16(spu, first_sequence);
    spu += spu_body;

    const int64_t pts = 45000; // 0.5 s at 90 kHz
    std::string pes_payload = "\x81\x80\x05";
    pes_payload += static_cast<char>(0x21 | ((pts >> 29) & 0x0E));
    pes_payload += static_cast<char>((pts >> 22) & 0xFF);
    pes_payload += static_cast<char>(((pts >> 14) & 0xFE) | 1);
    pes_payload += static_cast<char>((pts >> 7) & 0xFF);
    pes_payload += static_cast<char>(((pts << 1) & 0xFE) | 1);
    pes_payload += '\x20'; // subpicture stream 0
    pes_payload += spu;
    std::string sub("\x00\x00\x01\xBA\x44\x00\x04\x00\x04\x01\x01\x89\xC3\xF8", 14);
    sub += std::string("\x00\x00\x01\xBD", 4);
    PutBe16(sub, static_cast<int>(pes_payload.size()));
    sub += pes_payload;

    std::filesystem::path sub_path = idx;
    sub_path.replace_extension(".sub");
    WriteFile(sub_path, sub);
    WriteFile(idx,
              "# VobSub index file, v7 (do not modify this line!)\n"
              "size: 320x240\n"
              "palette: ffffff, ff0000, 000000, 000000, 000000, 000000, 000000, 000000, "
              "000000, 000000, 000000, 000000, 000000, 000000, 000000, 000000\n\n"
              "id: en, index: 0\n"
              "timestamp: 00:00:00:500, filepos: 000000000\n");
}

} // namespace quillet::test
