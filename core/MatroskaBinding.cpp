// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/MatroskaBinding.h"

namespace quillet {

namespace {
ExtractionProgress *g_current_progress = nullptr;
}

bool MatroskaBinding::Load(const std::string &program_folder, const std::string &name)
{
    Unload();
    if (!m_library.Load(name, program_folder)) {
        m_error = m_library.Error();
        return false;
    }
    // Looked up in this order; the binding counts only when every one is there.
    m_get_track_info
        = reinterpret_cast<decltype(&em_gettrackinfo)>(m_library.Symbol("em_gettrackinfo"));
    m_extract = reinterpret_cast<decltype(&em_extract)>(m_library.Symbol("em_extract"));
    m_free_track_info
        = reinterpret_cast<decltype(&em_freetrackinfo)>(m_library.Symbol("em_freetrackinfo"));
    m_set_callback
        = reinterpret_cast<decltype(&em_setcallbackfunc)>(m_library.Symbol("em_setcallbackfunc"));
    m_loaded = m_get_track_info && m_extract && m_free_track_info && m_set_callback;
    if (!m_loaded) {
        m_error = "the Matroska library lacks an entry point";
        Unload();
    }
    return m_loaded;
}

void MatroskaBinding::Unload()
{
    m_get_track_info = nullptr;
    m_extract = nullptr;
    m_free_track_info = nullptr;
    m_set_callback = nullptr;
    m_loaded = false;
    m_library.Unload();
}

int MatroskaBinding::GetTrackInfo(const char *path, EmTrackInfo **info) const
{
    return m_loaded ? m_get_track_info(path, info) : -1;
}

int MatroskaBinding::Extract(const char *path, const EmExtractRequest *request) const
{
    return m_loaded ? m_extract(path, request) : -1;
}

int MatroskaBinding::FreeTrackInfo(EmTrackInfo *info) const
{
    if (!m_loaded)
        return -1;
    m_free_track_info(info);
    return 0;
}

int MatroskaBinding::SetCallback(EmProgressFunc callback) const
{
    if (!m_loaded)
        return -1;
    m_set_callback(callback);
    return 0;
}

int MatroskaBinding::ForwardProgress(int percent, const char *message)
{
    if (g_current_progress)
        g_current_progress->Update(percent, message ? message : "");
    return 0;
}

void MatroskaBinding::SetCurrentProgress(ExtractionProgress *progress)
{
    g_current_progress = progress;
}

ExtractionProgress *MatroskaBinding::CurrentProgress()
{
    return g_current_progress;
}

MatroskaBinding &TheMatroskaBinding()
{
    static MatroskaBinding binding;
    return binding;
}

} // namespace quillet
