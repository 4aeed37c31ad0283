// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ContainerOverhead.h"

#include "platform/TextCase.h"

namespace quillet::sizing {

namespace {

// Measured with bench/sizeplan/measure_overhead.py (FFmpeg 5.1 on Debian 12): generated clips of
// 3 and 12 s (testsrc2 640x360, a sine tone) converted by quillet-cli at fixed rates of 300 and
// 1500 kbit/s, 15 and 30 pictures a second and two audio sample rates, each container with the
// codecs its built-in profiles use. A container's bytes are the file's size less the sum of its
// packets (ffprobe), fitted by least squares over the 16 outputs of each video container (4 of
// each audio one). Each row keeps the terms the measurement could tell apart (MP4 and MOV index
// every packet, AVI frames picture and sound alike, MPEG streams add a share of the payload and
// periodic tables); the worst fit was 0.9 % of the file (MPEG-TS), most within 0.2 %.
constexpr ContainerOverhead kTable[] = {
    {Container::Mp4, "mp4", 1298, 0, 26.42, 4.54, 0},
    {Container::Mov, "mov", 1418, 0, 18.84, 4.69, 0},
    {Container::M4a, "m4a", 807, 0, 0, 4.00, 0},
    {Container::MpegTs, "mpegts", 3974, 3921.1, 186.66, 1.75, 0.0430},
    {Container::MpegPs, "mpeg-ps", 920, 555.9, 161.94, 1.70, 0.0139},
    {Container::Avi, "avi", 10040, 0, 24.61, 24.61, 0},
    {Container::Asf, "asf", 2139, 7750.1, 18.69, 0, -0.0046},
    {Container::Matroska, "matroska", 685, 2.4, 7.10, 7.00, 0},
    {Container::Mp3, "mp3", 619, 0, 0, 0, 0},
    {Container::Wav, "wav", 78, 0, 0, 0, 0},
    // Not measured (FLV, Ogg, 3GP's relatives ...): as much as the costliest of the measured
    // containers that are not packetised, so an estimate errs on the large side.
    {Container::Other, "other", 10040, 0, 26.42, 24.61, 0},
};

struct FormatName
{
    std::string_view name;
    Container container;
};

// Muxer names and extensions alike; the engine chooses its muxer by either.
constexpr FormatName kNames[] = {
    {"mp4", Container::Mp4},       {"m4v", Container::Mp4},       {"ipod", Container::Mp4},
    {"3gp", Container::Mp4},       {"3g2", Container::Mp4},       {"mov", Container::Mov},
    {"m4a", Container::M4a},       {"m4b", Container::M4a},       {"ts", Container::MpegTs},
    {"mpegts", Container::MpegTs}, {"m2ts", Container::MpegTs},   {"mts", Container::MpegTs},
    {"m2t", Container::MpegTs},    {"vob", Container::MpegPs},    {"dvd", Container::MpegPs},
    {"mpg", Container::MpegPs},    {"mpeg", Container::MpegPs},   {"svcd", Container::MpegPs},
    {"vcd", Container::MpegPs},    {"avi", Container::Avi},       {"wmv", Container::Asf},
    {"asf", Container::Asf},       {"wma", Container::Asf},       {"mkv", Container::Matroska},
    {"mka", Container::Matroska},  {"webm", Container::Matroska}, {"matroska", Container::Matroska},
    {"mp3", Container::Mp3},       {"wav", Container::Wav},
};

bool Find(std::string_view name, Container &container)
{
    for (const auto &entry : kNames) {
        if (platform::EqualsIgnoringCase(entry.name, name)) {
            container = entry.container;
            return true;
        }
    }
    return false;
}

} // namespace

Container ContainerFor(std::string_view extension, std::string_view forced_format)
{
    Container container = Container::Other;
    if (!forced_format.empty() && Find(forced_format, container))
        return container;
    Find(extension, container);
    return container;
}

const ContainerOverhead &OverheadOf(Container container)
{
    for (const auto &entry : kTable)
        if (entry.container == container)
            return entry;
    return kTable[std::size(kTable) - 1];
}

} // namespace quillet::sizing
