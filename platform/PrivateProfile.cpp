// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/PrivateProfile.h"

#include "platform/DebugOutput.h"
#include "platform/IniDocument.h"
#include "platform/NumberText.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace quillet::platform {

IniDocument LoadProfileFile(const std::filesystem::path &file)
{
    IniDocument doc;
    std::string error;
    if (!doc.Load(file, &error))
        DebugOutput("profile file not read: " + error);
    return doc;
}

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view default_value, std::size_t capacity,
                              const std::filesystem::path &file)
{
    const IniDocument doc = LoadProfileFile(file);
    std::string value = doc.Value(section, key).value_or(std::string(default_value));
    if (capacity == 0)
        return {};
    if (value.size() > capacity - 1)
        value.resize(capacity - 1);
    return value;
}

int LeadingInteger(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        value = INT_MAX;
    return static_cast<int>(value);
}

int ReadProfileInt(std::string_view section, std::string_view key, int default_value,
                   const std::filesystem::path &file)
{
    const IniDocument doc = LoadProfileFile(file);
    auto value = doc.Value(section, key);
    return value ? LeadingInteger(*value) : default_value;
}

double ReadProfileFloat(std::string_view section, std::string_view key,
                        const std::filesystem::path &file)
{
    std::string text = ReadProfileString(section, key, "", 61, file);
    return ParseLeadingDouble(text);
}

std::size_t ReadProfileSectionNames(char *buffer, std::size_t size,
                                    const std::filesystem::path &file, bool *cut)
{
    if (cut)
        *cut = false;
    if (!buffer || size == 0)
        return 0;
    std::memset(buffer, 0, size);
    if (size < 2)
        return 0;
    const IniDocument doc = LoadProfileFile(file);
    std::size_t used = 0;
    // Room is kept for the list's final NUL.
    for (const auto &name : doc.SectionNames()) {
        std::size_t room = size - 1 - used;
        if (room < 2)
            break;
        std::size_t n = std::min(name.size(), room - 1);
        // The buffer was zeroed above: the byte after each name is its NUL.
        std::memcpy(buffer + used, name.data(), n); // NOLINT(bugprone-not-null-terminated-result)
        used += n + 1;
        if (n < name.size()) {
            if (cut)
                *cut = true;
            return size - 2; // as the classic function reports a cut list
        }
    }
    return used;
}

std::vector<std::string> ReadWholeSectionNames(std::size_t size, const std::filesystem::path &file)
{
    std::vector<char> buffer(size);
    bool cut = false;
    ReadProfileSectionNames(buffer.data(), buffer.size(), file, &cut);
    std::vector<std::string> names = SplitNameList(buffer.data(), buffer.size());
    if (cut && !names.empty())
        names.pop_back();
    return names;
}

std::vector<std::string> SplitNameList(const char *buffer, std::size_t size)
{
    std::vector<std::string> names;
    std::size_t i = 0;
    while (i < size && buffer[i] != '\0') {
        std::size_t len = strnlen(buffer + i, size - i);
        names.emplace_back(buffer + i, len);
        i += len + 1;
    }
    return names;
}

bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                        const std::filesystem::path &file)
{
    return WriteProfileStrings(section, {{std::string(key), std::string(value)}}, file);
}

bool WriteProfileStrings(std::string_view section,
                         const std::vector<std::pair<std::string, std::string>> &values,
                         const std::filesystem::path &file)
{
    IniDocument doc;
    if (!doc.Load(file))
        return false;
    for (const auto &[key, value] : values)
        if (!doc.Set(section, key, value))
            return false;
    return doc.Save(file);
}

} // namespace quillet::platform
