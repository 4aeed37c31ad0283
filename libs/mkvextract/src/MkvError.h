// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdexcept>
#include <string>

namespace mkvextract {

/// What went wrong, as the entry points report it: each kind is one of their negative results.
enum class MkvFailure {
    BadArguments = -1, ///< a null pointer, an empty path, a malformed request
    Unreadable = -2, ///< missing or unreadable file, not Matroska, mkvtoolnix not runnable
    ExtractionFailed = -3, ///< the extraction ran (or was refused) and an output is missing
};

/// Thrown inside the library and turned into a negative result at the entry points.
class MkvError : public std::runtime_error
{
public:
    MkvError(MkvFailure failure, const std::string &message)
        : std::runtime_error(message)
        , m_failure(failure)
    { }
    MkvFailure Failure() const { return m_failure; }

private:
    MkvFailure m_failure;
};

} // namespace mkvextract
