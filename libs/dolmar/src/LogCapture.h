// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace dolmar {

/// FFmpeg's log, tamed for a desktop program: only errors reach stderr, and the last error line
/// is kept so that a failure message can say what FFmpeg itself complained about.
/// The kept line belongs to the thread that logged it, so runs on several threads at once keep
/// their own.
class LogCapture
{
public:
    /// Installs the log callback; safe to call more than once.
    static void Install();
    /// Puts FFmpeg's own callback back.
    static void Uninstall();
    /// The last complete error line this thread logged since the previous call, then forgets it.
    static std::string TakeLastError();
};

} // namespace dolmar
