// SPDX-License-Identifier: GPL-3.0-or-later
#include "VeneerBinding.h"

#include "veneer.h"

namespace quillet {

bool VeneerBinding::Load(const std::string &program_folder, const std::string &name)
{
    m_init_skin = nullptr;
    m_add_filter_hook = nullptr;
    if (!m_library.Load(name, program_folder)) {
        m_error = m_library.Error();
        return false;
    }
    m_init_skin = reinterpret_cast<decltype(m_init_skin)>(m_library.Symbol("Nolo_InitSkin"));
    m_add_filter_hook
        = reinterpret_cast<decltype(m_add_filter_hook)>(m_library.Symbol("Nolo_AddFilterHook"));
    if (!Loaded()) {
        m_error = "lib" + name + ".so lacks Nolo_InitSkin or Nolo_AddFilterHook";
        m_init_skin = nullptr;
        m_add_filter_hook = nullptr;
        return false;
    }
    m_error.clear();
    return true;
}

int VeneerBinding::InitSkin(int skin_windows, int skin_controls, const char *skin_name) const
{
    return m_init_skin ? m_init_skin(skin_windows, skin_controls, skin_name) : -1;
}

int VeneerBinding::AddFilterHook(void *window) const
{
    return m_add_filter_hook ? m_add_filter_hook(window) : -1;
}

VeneerBinding &TheVeneer()
{
    // Never destroyed: windows skinned by the library may outlive the end of main().
    static VeneerBinding *binding = new VeneerBinding;
    return *binding;
}

} // namespace quillet
