// SPDX-License-Identifier: GPL-3.0-or-later
#include "TransportClock.h"

namespace dolmar_test {

namespace {

constexpr std::size_t kTsPacket = 188;
constexpr int64_t kClockWrap = int64_t{1} << 33;

/// Reads and rewrites the 33-bit timestamp of a PES header (5 bytes, marker bits kept).
void ShiftPesTimestamp(unsigned char *b, int64_t delta)
{
    int64_t value = (int64_t{b[0]} >> 1 & 7) << 30 | int64_t{b[1]} << 22
        | (int64_t{b[2]} >> 1) << 15 | int64_t{b[3]} << 7 | int64_t{b[4]} >> 1;
    value = ((value + delta) % kClockWrap + kClockWrap) % kClockWrap;
    b[0] = static_cast<unsigned char>((b[0] & 0xF1) | (value >> 29 & 0x0E));
    b[1] = static_cast<unsigned char>(value >> 22);
    b[2] = static_cast<unsigned char>((value >> 14 & 0xFE) | 1);
    b[3] = static_cast<unsigned char>(value >> 7);
    b[4] = static_cast<unsigned char>((value << 1 & 0xFE) | 1);
}

/// The 33-bit base of a PCR (6 bytes; the 9-bit extension kept).
void ShiftPcr(unsigned char *b, int64_t delta)
{
    int64_t base = int64_t{b[0]} << 25 | int64_t{b[1]} << 17 | int64_t{b[2]} << 9
        | int64_t{b[3]} << 1 | int64_t{b[4]} >> 7;
    base = ((base + delta) % kClockWrap + kClockWrap) % kClockWrap;
    b[0] = static_cast<unsigned char>(base >> 25);
    b[1] = static_cast<unsigned char>(base >> 17);
    b[2] = static_cast<unsigned char>(base >> 9);
    b[3] = static_cast<unsigned char>(base >> 1);
    b[4] = static_cast<unsigned char>((b[4] & 0x7F) | (base & 1) << 7);
}

} // namespace

std::string ShiftTransportClock(std::string ts, std::size_t from, int64_t delta_ticks, int pid,
                                int count)
{
    for (std::size_t at = from / kTsPacket * kTsPacket; at + kTsPacket <= ts.size();
         at += kTsPacket) {
        auto *p = reinterpret_cast<unsigned char *>(&ts[at]);
        const int packet_pid = (p[1] & 0x1F) << 8 | p[2];
        if (p[0] != 0x47 || (pid >= 0 && packet_pid != pid))
            continue;
        const int control = p[3] >> 4 & 3;
        std::size_t payload = 4;
        if (control & 2) {
            const int length = p[4];
            if (pid < 0 && length >= 7 && (p[5] & 0x10))
                ShiftPcr(p + 6, delta_ticks);
            payload = 5 + static_cast<std::size_t>(length);
        }
        const bool unit_start = p[1] & 0x40;
        if (!(control & 1) || !unit_start || payload + 19 > kTsPacket || p[payload] != 0
            || p[payload + 1] != 0 || p[payload + 2] != 1)
            continue;
        const int flags = p[payload + 7];
        if (flags & 0x80)
            ShiftPesTimestamp(p + payload + 9, delta_ticks);
        if ((flags & 0xC0) == 0xC0)
            ShiftPesTimestamp(p + payload + 14, delta_ticks);
        if (count > 0 && --count == 0)
            break;
    }
    return ts;
}

} // namespace dolmar_test
