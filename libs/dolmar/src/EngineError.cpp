// SPDX-License-Identifier: GPL-3.0-or-later
#include "EngineError.h"

#include "LogCapture.h"

extern "C" {
#include <libavutil/error.h>
}

namespace dolmar {

EngineError::EngineError(Kind kind, const std::string &message)
    : std::runtime_error(message)
    , m_kind(kind)
{ }

std::string AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_make_error_string(text, sizeof text, code);
    return text;
}

std::string Quoted(std::string_view text)
{
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted += text;
    quoted += '"';
    return quoted;
}

void ThrowAvError(int code, std::string_view step, std::string_view file)
{
    std::string message = "Could not ";
    message += step;
    if (!file.empty()) {
        message += ' ';
        message += Quoted(file);
    }
    message += ": ";
    const std::string reason = AvErrorText(code);
    message += reason;
    // avcodec_open2 and friends often return a bare EINVAL while the real reason ("The
    // specified picture size of 100x100 is not valid for the H.263 codec") went to the log.
    std::string detail = LogCapture::TakeLastError();
    if (!detail.empty() && detail != reason)
        message += " (" + detail + ")";
    message += '.';
    throw EngineError(EngineError::Kind::Failed, message);
}

int CheckAv(int code, std::string_view step, std::string_view file)
{
    if (code < 0)
        ThrowAvError(code, step, file);
    return code;
}

void ThrowFailed(const std::string &message)
{
    throw EngineError(EngineError::Kind::Failed, message);
}

void ThrowBadArgs(const std::string &message)
{
    throw EngineError(EngineError::Kind::BadArgs, message);
}

} // namespace dolmar
