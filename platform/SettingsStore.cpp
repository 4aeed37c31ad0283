// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/BaseDirectories.h"
#include "platform/DebugOutput.h"
#include "platform/TextCase.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace quillet::platform {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

std::string Quote(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

/// Reads a quoted text starting at pos (at the opening quote); pos ends after the closing one.
std::optional<std::string> Unquote(std::string_view line, std::size_t &pos)
{
    if (pos >= line.size() || line[pos] != '"')
        return std::nullopt;
    std::string out;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            out += line[++pos];
        } else if (c == '"') {
            ++pos;
            return out;
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

std::string HexBytes(std::string_view bytes)
{
    std::string out;
    char hex[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
        if (i)
            out += ',';
        out += hex;
    }
    return out;
}

std::optional<std::string> ParseHexBytes(std::string_view text)
{
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ',' || text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size())
            return std::nullopt;
        char pair[3] = {text[i], text[i + 1], 0};
        char *end = nullptr;
        long v = std::strtol(pair, &end, 16);
        if (end != pair + 2)
            return std::nullopt;
        out += static_cast<char>(v);
        i += 2;
    }
    return out;
}

std::optional<SettingsStore::Value> ParseData(std::string_view data)
{
    using Type = SettingsStore::Type;
    SettingsStore::Value v;
    if (!data.empty() && data.front() == '"') {
        std::size_t pos = 0;
        auto text = Unquote(data, pos);
        if (!text)
            return std::nullopt;
        v.type = Type::String;
        v.text = *text;
        return v;
    }
    if (data.rfind("dword:", 0) == 0) {
        std::string digits(data.substr(6));
        char *end = nullptr;
        unsigned long n = std::strtoul(digits.c_str(), &end, 16);
        if (digits.empty() || *end != '\0' || n > 0xFFFFFFFFul)
            return std::nullopt;
        v.type = Type::Number;
        v.number = static_cast<uint32_t>(n);
        return v;
    }
    if (data.rfind("hex(", 0) == 0) {
        auto close = data.find("):");
        if (close == std::string_view::npos)
            return std::nullopt;
        int type = std::atoi(std::string(data.substr(4, close - 4)).c_str());
        auto bytes = ParseHexBytes(data.substr(close + 2));
        if (!bytes || type < 1 || type > 7)
            return std::nullopt;
        v.type = static_cast<Type>(type);
        if (v.type == Type::NumberBigEndian || v.type == Type::Number) {
            if (bytes->size() != 4)
                return std::nullopt;
            const auto *b = reinterpret_cast<const unsigned char *>(bytes->data());
            // Kept as stored: readers take the four bytes without swapping them.
            v.number = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16
                | uint32_t(b[3]) << 24;
        } else if (v.type == Type::ExpandString || v.type == Type::Link || v.type == Type::String) {
            std::string text = *bytes;
            while (!text.empty() && text.back() == '\0')
                text.pop_back();
            v.text = text;
        } else {
            v.bytes = *bytes;
        }
        return v;
    }
    if (data.rfind("hex:", 0) == 0) {
        auto bytes = ParseHexBytes(data.substr(4));
        if (!bytes)
            return std::nullopt;
        v.type = Type::Binary;
        v.bytes = *bytes;
        return v;
    }
    return std::nullopt;
}

std::string FormatData(const SettingsStore::Value &v)
{
    using Type = SettingsStore::Type;
    char text[32];
    switch (v.type) {
    case Type::String:
        // A text holding a line break cannot stand in quotes on one line: keep it as bytes.
        if (v.text.find_first_of("\r\n") != std::string::npos)
            return "hex(1):" + HexBytes(v.text + std::string(1, '\0'));
        return Quote(v.text);
    case Type::Number:
        std::snprintf(text, sizeof text, "dword:%08x", v.number);
        return text;
    case Type::NumberBigEndian: {
        std::string b(4, '\0');
        for (int i = 0; i < 4; ++i)
            b[static_cast<std::size_t>(i)] = static_cast<char>((v.number >> (8 * i)) & 0xFF);
        return "hex(5):" + HexBytes(b);
    }
    case Type::ExpandString:
    case Type::Link:
        return "hex(" + std::to_string(static_cast<int>(v.type))
            + "):" + HexBytes(v.text + std::string(1, '\0'));
    case Type::Binary:
        return "hex:" + HexBytes(v.bytes);
    case Type::MultiString:
        return "hex(7):" + HexBytes(v.bytes);
    }
    return Quote(v.text);
}

/// A file's identity and state: a replaced or edited file never matches what was read before.
SettingsStore::FileStamp StampOf(const struct stat &st)
{
    return {static_cast<uint64_t>(st.st_dev),         static_cast<uint64_t>(st.st_ino),
            static_cast<int64_t>(st.st_size),         static_cast<int64_t>(st.st_mtim.tv_sec),
            static_cast<int64_t>(st.st_mtim.tv_nsec), static_cast<int64_t>(st.st_ctim.tv_nsec)};
}

} // namespace

const SettingsStore::Value *SettingsStore::Values::Find(std::string_view name) const
{
    const auto at = index.find(ToLower(name));
    return at == index.end() ? nullptr : &entries[at->second].second;
}

void SettingsStore::Values::Set(std::string_view name, const Value &value)
{
    // Names match ignoring case, as the registry's do: a later line for the same name replaces
    // the value and keeps the first spelling.
    const auto [at, added] = index.emplace(ToLower(name), entries.size());
    if (added)
        entries.emplace_back(std::string(name), value);
    else
        entries[at->second].second = value;
}

/// The values of the file's key, in one pass; unreadable lines are skipped (a damaged line never
/// hides the rest of the settings).
SettingsStore::Values SettingsStore::Parse(std::string_view contents)
{
    Values values;
    std::size_t start = 0;
    while (start < contents.size()) {
        auto end = contents.find('\n', start);
        if (end == std::string_view::npos)
            end = contents.size();
        std::string_view line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() != '"')
            continue;
        std::size_t pos = 0;
        auto name = Unquote(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=')
            continue;
        auto value = ParseData(line.substr(pos + 1));
        if (value)
            values.Set(*name, *value);
    }
    return values;
}

const SettingsStore::Values *SettingsStore::Load(const std::filesystem::path &file) const
{
    static const Values kNone;
    Snapshot &snapshot = m_snapshots[file.string()];
    struct stat st;
    if (::stat(file.c_str(), &st) != 0) {
        snapshot = {};
        return errno == ENOENT || errno == ENOTDIR ? &kNone : nullptr;
    }
    const FileStamp stamp = StampOf(st);
    if (snapshot.read && snapshot.stamp == stamp)
        return &snapshot.values;
    // The stamp is taken before reading: should the file change in between, the next call sees
    // a newer stamp and reads it again.
    std::string contents;
    std::string error;
    const ReadStatus status = ReadTextFile(file, contents, &error);
    if (status == ReadStatus::Missing) {
        snapshot = {};
        return &kNone;
    }
    if (status != ReadStatus::Ok) {
        snapshot = {};
        DebugOutput("settings not read: " + error);
        return nullptr;
    }
    snapshot.values = Parse(contents);
    snapshot.stamp = stamp;
    snapshot.read = true;
    return &snapshot.values;
}

SettingsStore::SettingsStore(std::filesystem::path folder, std::string root_name)
    : m_folder(std::move(folder))
    , m_root_name(std::move(root_name))
{ }

std::filesystem::path SettingsStore::DefaultFolder()
{
    // A folder named on purpose is taken as given, relative or not.
    if (const char *dir = std::getenv("QUILLET_SETTINGS_DIR"); dir && *dir)
        return dir;
    return ConfigHome().value_or(std::string());
}

std::filesystem::path SettingsStore::FileFor(std::string_view key_path) const
{
    // "Software\Maker\Product" becomes Maker/Product.reg: the user's configuration folder is
    // already the per-user software branch.
    std::filesystem::path file = m_folder;
    std::string part;
    std::vector<std::string> parts;
    for (char c : key_path) {
        if (c == '\\' || c == '/') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    if (parts.size() > 1 && EqualsIgnoringCase(parts.front(), "Software"))
        parts.erase(parts.begin());
    for (std::size_t i = 0; i + 1 < parts.size(); ++i)
        file /= parts[i];
    file /= (parts.empty() ? std::string("settings") : parts.back()) + ".reg";
    return file;
}

std::optional<SettingsStore::Value> SettingsStore::Read(std::string_view key_path,
                                                        std::string_view name) const
{
    if (m_folder.empty())
        return std::nullopt;
    const Values *values = Load(FileFor(key_path));
    const Value *value = values ? values->Find(name) : nullptr;
    if (!value)
        return std::nullopt;
    return *value;
}

bool SettingsStore::Write(std::string_view key_path, std::string_view name,
                          const Value &value) const
{
    // No folder: the user has no home to keep settings in, and the current folder is not one.
    if (m_folder.empty())
        return false;
    const auto file = FileFor(key_path);
    const Values *loaded = Load(file);
    // A settings file that is there but refused (no regular file, too large, unreadable) is
    // left alone rather than replaced by one value.
    if (!loaded)
        return false;
    // The snapshot's values are taken over (not copied); it is filled again once the file is
    // written, and stays empty when writing fails.
    Snapshot &snapshot = m_snapshots[file.string()];
    Values values;
    if (loaded == &snapshot.values)
        values = std::move(snapshot.values);
    else
        values = *loaded;
    snapshot = {};
    values.Set(name, value);

    std::string text(kHeader);
    text += "\n\n[" + m_root_name + "\\" + std::string(key_path) + "]\n";
    for (const auto &[n, v] : values.entries)
        text += Quote(n) + "=" + FormatData(v) + "\n";

    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec || !ReplaceFileAtomically(file, text))
        return false;
    struct stat st;
    if (::stat(file.c_str(), &st) == 0) {
        snapshot.values = std::move(values);
        snapshot.stamp = StampOf(st);
        snapshot.read = true;
    }
    return true;
}

} // namespace quillet::platform
