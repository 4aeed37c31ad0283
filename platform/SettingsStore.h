// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

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
 * Types are kept, so a reader asking for a number never mistakes a text for one. A file is read
 * in one pass and kept for as long as it is unchanged on disk (same file, size and times), so a
 * start-up that asks for several values reads it once, while an edit or a write by another
 * program is seen at the next call. Every write replaces the file atomically. A settings file
 * that is no regular file or larger than kMaxTextFileBytes is never read nor replaced. No handle
 * is held between calls.
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

    /// A store under folder. The folder and the files are created on the first write. An empty
    /// folder is no store: nothing is read and every write fails.
    explicit SettingsStore(std::filesystem::path folder,
                           std::string root_name = "HKEY_LOCAL_MACHINE");

    /// The folder of the user's settings: $QUILLET_SETTINGS_DIR, else the configuration home of
    /// the base directory rules (platform/BaseDirectories.h); empty when there is none.
    static std::filesystem::path DefaultFolder();

    /// The file that holds key_path.
    std::filesystem::path FileFor(std::string_view key_path) const;

    /// The value of name (ignoring case), or nothing when it is absent or the file is refused.
    std::optional<Value> Read(std::string_view key_path, std::string_view name) const;
    /// Stores value under name; false when the store could not be written (it is then unchanged).
    bool Write(std::string_view key_path, std::string_view name, const Value &value) const;

    /// What identifies a file's state on disk.
    struct FileStamp
    {
        uint64_t device = 0;
        uint64_t inode = 0;
        int64_t size = 0;
        int64_t modified_s = 0;
        int64_t modified_ns = 0;
        int64_t changed_ns = 0;
        bool operator==(const FileStamp &) const = default;
    };

private:
    /// The values of one file in file order, found by name ignoring case in constant time.
    struct Values
    {
        std::vector<std::pair<std::string, Value>> entries;
        std::unordered_map<std::string, std::size_t> index; ///< lower-case name -> entry
        const Value *Find(std::string_view name) const;
        void Set(std::string_view name, const Value &value);
    };
    /// A file as last read or written.
    struct Snapshot
    {
        bool read = false;
        FileStamp stamp;
        Values values;
    };

    static Values Parse(std::string_view contents);
    /// The file's values: from the snapshot while the file is unchanged, else read afresh. An
    /// absent file has no values; a refused one gives null.
    const Values *Load(const std::filesystem::path &file) const;

    std::filesystem::path m_folder;
    std::string m_root_name;
    mutable std::unordered_map<std::string, Snapshot> m_snapshots; ///< by file path
};

} // namespace quillet::platform
