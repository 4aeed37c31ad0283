// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace dolmar {

/// Why a conversion could not go on. The text is shown to the user as it stands, so it says
/// what failed, on which file, and FFmpeg's own reason.
class EngineError : public std::runtime_error
{
public:
    enum class Kind {
        Failed, ///< the conversion itself failed
        BadArgs, ///< the argument vector was refused before anything was opened
    };

    EngineError(Kind kind, const std::string &message);

    Kind ErrorKind() const { return m_kind; }

private:
    Kind m_kind;
};

/// FFmpeg's text for an error code ("Invalid data found when processing input").
std::string AvErrorText(int code);

/// Throws EngineError(Failed): Could not <step> "<file>": <FFmpeg's text>. The last error line
/// FFmpeg logged since the previous checked call is added when it says more than the code.
[[noreturn]] void ThrowAvError(int code, std::string_view step, std::string_view file);

/// Returns code when it is not negative, else ThrowAvError.
int CheckAv(int code, std::string_view step, std::string_view file);

[[noreturn]] void ThrowFailed(const std::string &message);
[[noreturn]] void ThrowBadArgs(const std::string &message);

/// "path" in double quotes, for messages.
std::string Quoted(std::string_view text);

} // namespace dolmar
