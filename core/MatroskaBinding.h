// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SharedLibrary.h"

#include <mkvextract.h>

#include <string>
#include <string_view>

namespace quillet {

/// A window that shows extraction progress while it runs (a wait window, or a terminal line).
class ExtractionProgress
{
public:
    virtual ~ExtractionProgress() = default;
    virtual void Update(int percent, std::string_view message) = 0;
};

/**
 * The binding to the Matroska track library, loaded by name at start-up. It is usable only when
 * all four entry points were found; otherwise every operation returns -1 and calls nothing, so
 * the program runs on without subtitle extraction.
 */
class MatroskaBinding
{
public:
    /// Loads the library (program folder first); true when all four entry points exist.
    bool Load(const std::string &program_folder, const std::string &name = "mkvextract");
    void Unload();
    bool Loaded() const { return m_loaded; }
    const std::string &Error() const { return m_error; }

    int GetTrackInfo(const char *path, EmTrackInfo **info) const;
    int Extract(const char *path, const EmExtractRequest *request) const;
    int FreeTrackInfo(EmTrackInfo *info) const;
    int SetCallback(EmProgressFunc callback) const;

    /// The progress function handed to the library: forwards to the current progress window,
    /// when there is one, and always returns 0.
    static int ForwardProgress(int percent, const char *message);
    /// The progress window extraction reports to (null: none).
    static void SetCurrentProgress(ExtractionProgress *progress);
    static ExtractionProgress *CurrentProgress();

private:
    platform::SharedLibrary m_library;
    bool m_loaded = false;
    std::string m_error;
    decltype(&em_gettrackinfo) m_get_track_info = nullptr;
    decltype(&em_extract) m_extract = nullptr;
    decltype(&em_freetrackinfo) m_free_track_info = nullptr;
    decltype(&em_setcallbackfunc) m_set_callback = nullptr;
};

/// The process-wide binding.
MatroskaBinding &TheMatroskaBinding();

} // namespace quillet
