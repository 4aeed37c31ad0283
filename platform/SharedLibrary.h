// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace quillet::platform {

/**
 * A shared library loaded by name at run time: "mkvextract" is looked for as libmkvextract.so in
 * the program folder first, then on the system's library search path. Unloaded when the object
 * goes away.
 */
class SharedLibrary
{
public:
    SharedLibrary() = default;
    ~SharedLibrary() { Unload(); }
    SharedLibrary(const SharedLibrary &) = delete;
    SharedLibrary &operator=(const SharedLibrary &) = delete;

    /// Loads lib<name>.so; false (and Error() set) when it cannot be found or loaded.
    bool Load(const std::string &name, const std::string &program_folder);
    void Unload();
    bool Loaded() const { return m_handle != nullptr; }
    /// The address of an exported symbol, or null.
    void *Symbol(const char *name) const;
    const std::string &Error() const { return m_error; }

private:
    void *m_handle = nullptr;
    std::string m_error;
};

} // namespace quillet::platform
