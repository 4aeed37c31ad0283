// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SharedLibrary.h"

#include <string>

namespace quillet {

/**
 * The binding to the skin library, loaded by name at start-up (program folder first). Without
 * the library every call does nothing and returns -1, so the windows run unchanged, only
 * plainer. The library stays loaded until the process ends: the windows it skinned hold its
 * event filters.
 */
class VeneerBinding
{
public:
    /// True when both entry points were found.
    bool Load(const std::string &program_folder, const std::string &name = "veneer");
    bool Loaded() const { return m_init_skin && m_add_filter_hook; }
    const std::string &Error() const { return m_error; }

    /// Nolo_InitSkin: once, before any window exists.
    int InitSkin(int skin_windows, int skin_controls, const char *skin_name) const;
    /// Nolo_AddFilterHook: every dialog window, from its creation (its QWidget address).
    int AddFilterHook(void *window) const;

private:
    platform::SharedLibrary m_library;
    std::string m_error;
    int (*m_init_skin)(int, int, const char *) = nullptr;
    int (*m_add_filter_hook)(void *) = nullptr;
};

/// The process-wide binding the windows register with.
VeneerBinding &TheVeneer();

} // namespace quillet
