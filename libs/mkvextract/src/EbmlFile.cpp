// SPDX-License-Identifier: GPL-3.0-or-later
#include "EbmlFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace mkvextract {

namespace {

// Large enough for the headers at the start of a file (EBML header, seek head, info, tracks)
// to come in with one read, small enough to cost nothing when only a few bytes are wanted.
constexpr std::size_t kWindowBytes = std::size_t{64} * 1024;

} // namespace

EbmlFile::EbmlFile(const std::string &path)
    // O_NONBLOCK: a FIFO given as a file must not hang the caller in open(); it is then refused
    // as no regular file.
    : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK))
{
    struct stat info
    {
    };
    if (m_fd && ::fstat(m_fd.Get(), &info) == 0 && S_ISREG(info.st_mode))
        m_size = static_cast<std::uint64_t>(info.st_size);
    else
        m_fd.Close();
}

bool EbmlFile::Fill(std::uint64_t pos)
{
    m_window.resize(kWindowBytes);
    std::size_t got = 0;
    while (got < kWindowBytes) {
        const ssize_t count = ::pread(m_fd.Get(), m_window.data() + got, kWindowBytes - got,
                                      static_cast<off_t>(pos + got));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            m_window.clear();
            return false;
        }
        if (count == 0)
            break;
        got += static_cast<std::size_t>(count);
    }
    m_window.resize(got);
    m_window_start = pos;
    return true;
}

bool EbmlFile::Read(std::uint64_t pos, std::size_t length, std::string &out)
{
    out.clear();
    if (!m_fd || pos > m_size || length > m_size - pos)
        return false;
    if (length > kWindowBytes / 2) {
        // A long value (a name, a string list) is read on its own, around the window.
        out.resize(length);
        std::size_t got = 0;
        while (got < length) {
            const ssize_t count = ::pread(m_fd.Get(), out.data() + got, length - got,
                                          static_cast<off_t>(pos + got));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return false;
            got += static_cast<std::size_t>(count);
        }
        return true;
    }
    const bool inside = pos >= m_window_start && pos + length <= m_window_start + m_window.size();
    if (!inside && !Fill(pos))
        return false;
    if (pos + length > m_window_start + m_window.size())
        return false;
    out.assign(m_window, static_cast<std::size_t>(pos - m_window_start), length);
    return true;
}

std::optional<std::uint64_t> EbmlFile::ReadVint(std::uint64_t pos, int max_length, int &length,
                                                bool keep_marker)
{
    std::string bytes;
    if (!Read(pos, 1, bytes))
        return std::nullopt;
    const auto first = static_cast<unsigned char>(bytes[0]);
    if (first == 0)
        return std::nullopt;
    length = 1;
    while (!(first & (0x80 >> (length - 1))))
        ++length;
    if (length > max_length || !Read(pos, static_cast<std::size_t>(length), bytes))
        return std::nullopt;
    std::uint64_t value = keep_marker ? first : (first & (0xFFu >> length));
    for (int i = 1; i < length; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
    return value;
}

std::optional<EbmlElement> EbmlFile::ReadHeader(std::uint64_t pos)
{
    int id_length = 0;
    const auto id = ReadVint(pos, 4, id_length, /*keep_marker=*/true);
    if (!id)
        return std::nullopt;
    int size_length = 0;
    const auto size = ReadVint(pos + static_cast<std::uint64_t>(id_length), 8, size_length,
                               /*keep_marker=*/false);
    if (!size)
        return std::nullopt;
    EbmlElement element;
    element.id = static_cast<std::uint32_t>(*id);
    // All value bits set means "size unknown" in EBML.
    const std::uint64_t all_ones = (std::uint64_t(1) << (7 * size_length)) - 1;
    element.size = *size == all_ones ? kUnknownSize : *size;
    element.position = pos;
    element.data_start = pos + static_cast<std::uint64_t>(id_length + size_length);
    return element;
}

std::optional<std::uint64_t> EbmlFile::ReadUnsigned(const EbmlElement &element)
{
    std::string bytes;
    if (element.size > 8
        || !Read(element.data_start, static_cast<std::size_t>(element.size), bytes))
        return std::nullopt;
    std::uint64_t value = 0;
    for (const char byte : bytes)
        value = (value << 8) | static_cast<unsigned char>(byte);
    return value;
}

} // namespace mkvextract
