// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillet::platform {

/**
 * A typed settings store in the spirit of a system registry: values live under key paths
 * ("Software\Maker\Product"), each value with a type. Each key path is one text file in the
 * .reg export format under the store's folder, for example
 *
 *     [HKEY_LOCAL_MACHINE\Software\Maker\Product]
 *     "ConvertDir"="/home/me/Videos/out/"
 *     "firstuse"=dword:00000001
 *
 * Types are kept, so a reader asking for a number never mistakes a text for one. Every operation
 * reads the file afresh; every write replaces it atomically. No handle is held between calls.
 */
class SettingsStore
{
public:
    /// Value types, numbered as the registry numbers them.
    enum class Type : uint32_t {
        String = 1, // REG_SZ
        ExpandString = 2, // REG_EXPAND_SZ
        Binary = 3,
        Number = 4, // REG_DWORD
        NumberBigEndian = 5,
        Link = 6,
        MultiString = 7,
    };

    struct Value
    {
        Type type = Type::String;
        std::string text; ///< for string types
        uint32_t number = 0; ///< for the number types, as stored
        std::string bytes; ///< for other types
    };

    /// A store under folder. The folder and the files are created on the first write.
    explicit SettingsStore(std::filesystem::path folder,
                           std::string root_name = "HKEY_LOCAL_MACHINE");

    /// The folder of the user's settings: $QUILLET_SETTINGS_DIR, else $XDG_CONFIG_HOME, else
    /// ~/.config.
    static std::filesystem::path DefaultFolder();

    /// The file that holds key_path.
    std::filesystem::path FileFor(std::string_view key_path) const;

    std::optional<Value> Read(std::string_view key_path, std::string_view name) const;
    /// Stores value under name; false when the store could not be written (it is then unchanged).
    bool Write(std::string_view key_path, std::string_view name, const Value &value) const;

private:
    std::filesystem::path m_folder;
    std::string m_root_name;
};

} // namespace quillet::platform
