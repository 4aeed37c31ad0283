// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SettingsStore.h"

#include "platform/AtomicFile.h"
#include "platform/TextCase.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
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

using ValueMap = std::vector<std::pair<std::string, SettingsStore::Value>>;

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

/// The values of the file's key; unreadable lines are skipped (a damaged line never hides the
/// rest of the settings).
ValueMap Load(const std::filesystem::path &file)
{
    ValueMap values;
    std::string contents;
    if (!ReadWholeFile(file, contents))
        return values;
    std::istringstream lines(contents);
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line.front() != '"')
            continue;
        std::size_t pos = 0;
        auto name = Unquote(line, pos);
        if (!name || pos >= line.size() || line[pos] != '=')
            continue;
        auto value = ParseData(std::string_view(line).substr(pos + 1));
        if (!value)
            continue;
        bool replaced = false;
        for (auto &[n, v] : values)
            if (n == *name) {
                v = *value;
                replaced = true;
            }
        if (!replaced)
            values.emplace_back(*name, *value);
    }
    return values;
}

} // namespace

SettingsStore::SettingsStore(std::filesystem::path folder, std::string root_name)
    : m_folder(std::move(folder))
    , m_root_name(std::move(root_name))
{ }

std::filesystem::path SettingsStore::DefaultFolder()
{
    if (const char *dir = std::getenv("QUILLET_SETTINGS_DIR"); dir && *dir)
        return dir;
    if (const char *dir = std::getenv("XDG_CONFIG_HOME"); dir && *dir)
        return dir;
    const char *home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".config";
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
    for (const auto &[n, v] : Load(FileFor(key_path)))
        if (EqualsIgnoringCase(n, name))
            return v;
    return std::nullopt;
}

bool SettingsStore::Write(std::string_view key_path, std::string_view name,
                          const Value &value) const
{
    const auto file = FileFor(key_path);
    ValueMap values = Load(file);
    bool replaced = false;
    for (auto &[n, v] : values)
        if (EqualsIgnoringCase(n, name)) {
            v = value;
            replaced = true;
        }
    if (!replaced)
        values.emplace_back(std::string(name), value);

    std::string text(kHeader);
    text += "\n\n[" + m_root_name + "\\" + std::string(key_path) + "]\n";
    for (const auto &[n, v] : values)
        text += Quote(n) + "=" + FormatData(v) + "\n";

    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec)
        return false;
    return ReplaceFileAtomically(file, text);
}

} // namespace quillet::platform
