// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace quillet::platform {

bool SharedLibrary::Load(const std::string &name, const std::string &program_folder)
{
    Unload();
    const std::string file = "lib" + name + ".so";
    // The program's own copy wins over one installed elsewhere.
    if (!program_folder.empty())
        m_handle = ::dlopen((program_folder + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        m_handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char *why = ::dlerror();
        m_error = why ? why : ("cannot load " + file);
        return false;
    }
    m_error.clear();
    return true;
}

void SharedLibrary::Unload()
{
    if (m_handle)
        ::dlclose(m_handle);
    m_handle = nullptr;
}

void *SharedLibrary::Symbol(const char *name) const
{
    return m_handle ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace quillet::platform
