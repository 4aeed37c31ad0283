// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts/LanguageTable.h"

#include "platform/PrivateProfile.h"
#include "platform/SystemLanguage.h"
#include "platform/TextCase.h"

#include <algorithm>
#include <filesystem>

namespace quillet {

namespace {

struct PrimaryName
{
    unsigned id;
    std::string_view name;
};

// English names of the primary languages, in lookup order (the first row of an id wins).
constexpr PrimaryName kPrimaryNames[] = {
    {0, "Neutral"},     {1, "Arabic"},
    {2, "Bulgarian"},   {3, "Catalan"},
    {4, "Chinese"},     {5, "Czech"},
    {6, "Danish"},      {7, "German"},
    {8, "Greek"},       {9, "English"},
    {10, "Spanish"},    {11, "Finnish"},
    {12, "French"},     {13, "Hebrew"},
    {14, "Hungarian"},  {15, "Icelandic"},
    {16, "Italian"},    {17, "Japanese"},
    {18, "Korean"},     {19, "Dutch"},
    {20, "Norwegian"},  {21, "Polish"},
    {22, "Portuguese"}, {24, "Romanian"},
    {25, "Russian"},    {26, "Croatian"},
    {26, "Serbian"},    {27, "Slovak"},
    {28, "Albanian"},   {29, "Swedish"},
    {30, "Thai"},       {31, "Turkish"},
    {32, "Urdu"},       {33, "Indonesian"},
    {34, "Ukrainian"},  {35, "Belarusian"},
    {36, "Slovenian"},  {37, "Estonian"},
    {38, "Latvian"},    {39, "Lithuanian"},
    {41, "Farsi"},      {42, "Vietnamese"},
    {43, "Armenian"},   {44, "Azeri"},
    {45, "Basque"},     {47, "FYRO Macedonian"},
    {54, "Afrikaans"},  {55, "Georgian"},
    {56, "Faeroese"},   {57, "Hindi"},
    {62, "Malay"},      {63, "Kazak"},
    {65, "Swahili"},    {67, "Uzbek"},
    {68, "Tatar"},      {70, "Punjabi"},
    {71, "Gujarati"},   {73, "Tamil"},
    {74, "Telugu"},     {75, "Kannada"},
    {78, "Marathi"},    {79, "Sanskrit"},
    {87, "Konkani"},
};

// Full names of the sub-languages, in lookup order.
constexpr PrimaryName kSubNames[] = {
    {0, "Language neutral"},
    {1, "User Default"},
    {2, "System Default"},
    {1, "Arabic (Saudi Arabia)"},
    {2, "Arabic (Iraq)"},
    {3, "Arabic (Egypt)"},
    {4, "Arabic (Libya)"},
    {5, "Arabic (Algeria)"},
    {6, "Arabic (Morocco)"},
    {7, "Arabic (Tunisia)"},
    {8, "Arabic (Oman)"},
    {9, "Arabic (Yemen)"},
    {10, "Arabic (Syria)"},
    {11, "Arabic (Jordan)"},
    {12, "Arabic (Lebanon)"},
    {13, "Arabic (Kuwait)"},
    {14, "Arabic (U.A.E.)"},
    {15, "Arabic (Bahrain)"},
    {16, "Arabic (Qatar)"},
    {1, "Azeri (Latin)"},
    {2, "Azeri (Cyrillic)"},
    {1, "Chinese (Traditional)"},
    {2, "Chinese (Simplified)"},
    {3, "Chinese (Hong Kong SAR, PRC)"},
    {4, "Chinese (Singapore)"},
    {5, "Chinese (Macao SAR)"},
    {1, "Dutch"},
    {2, "Dutch (Belgian)"},
    {1, "English (US)"},
    {2, "English (UK)"},
    {3, "English (Australian)"},
    {4, "English (Canadian)"},
    {5, "English (New Zealand)"},
    {6, "English (Ireland)"},
    {7, "English (South Africa)"},
    {8, "English (Jamaica)"},
    {9, "English (Caribbean)"},
    {10, "English (Belize)"},
    {11, "English (Trinidad)"},
    {12, "English (Zimbabwe)"},
    {13, "English (Philippines)"},
    {1, "French"},
    {2, "French (Belgian)"},
    {3, "French (Canadian)"},
    {4, "French (Swiss)"},
    {5, "French (Luxembourg)"},
    {6, "French (Monaco)"},
    {1, "German"},
    {2, "German (Swiss)"},
    {3, "German (Austrian)"},
    {4, "German (Luxembourg)"},
    {5, "German (Liechtenstein)"},
    {1, "Italian"},
    {2, "Italian (Swiss)"},
    {1, "Korean"},
    {1, "Lithuanian"},
    {1, "Malay (Malaysia)"},
    {2, "Malay (Brunei Darassalam)"},
    {1, "Norwegian (Bokmal)"},
    {2, "Norwegian (Nynorsk)"},
    {1, "Portuguese (Brazil)"},
    {2, "Portuguese (Portugal)"},
    {2, "Serbian (Latin)"},
    {3, "Serbian (Cyrillic)"},
    {1, "Spanish (Castilian)"},
    {2, "Spanish (Mexican)"},
    {3, "Spanish (Spain)"},
    {4, "Spanish (Guatemala)"},
    {5, "Spanish (Costa Rica)"},
    {6, "Spanish (Panama)"},
    {7, "Spanish (Dominican Republic)"},
    {8, "Spanish (Venezuela)"},
    {9, "Spanish (Colombia)"},
    {10, "Spanish (Peru)"},
    {11, "Spanish (Argentina)"},
    {12, "Spanish (Ecuador)"},
    {13, "Spanish (Chile)"},
    {14, "Spanish (Uruguay)"},
    {15, "Spanish (Paraguay)"},
    {16, "Spanish (Bolivia)"},
    {17, "Spanish (El Salvador)"},
    {18, "Spanish (Honduras)"},
    {19, "Spanish (Nicaragua)"},
    {20, "Spanish (Puerto Rico)"},
    {1, "Swedish"},
    {2, "Swedish (Finland)"},
    {1, "Urdu (Pakistan)"},
    {2, "Urdu (India)"},
    {1, "Uzbek (Latin)"},
    {2, "Uzbek (Cyrillic)"},
};
static_assert(std::size(kPrimaryNames) == 63);
static_assert(std::size(kSubNames) == 90);

} // namespace

void LanguageTable::ScanLanguageFolder(const std::string &folder)
{
    if (folder.empty())
        return;
    m_folder = folder;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string file_name = it->path().filename().string();
        // Its own error code: an entry that cannot be looked at must not end the scan.
        std::error_code type_ec;
        if (!platform::EndsWithIgnoringCase(file_name, ".ini") || it->is_directory(type_ec))
            continue;
        std::string name
            = platform::ReadProfileString("Info", "Language", "", kNameCapacity, it->path());
        if (!name.empty())
            m_languages.push_back({name, file_name});
    }
}

void LanguageTable::SelectLanguage(const std::string &name)
{
    if (name.empty())
        return;
    m_current_name = name;
    for (const auto &entry : m_languages) {
        if (entry.name == name) {
            m_current_file = m_folder + entry.file_name;
            return;
        }
    }
}

void LanguageTable::SelectLanguageByIndex(int index)
{
    if (index >= 0 && index < static_cast<int>(m_languages.size()))
        SelectLanguage(m_languages[static_cast<std::size_t>(index)].name);
}

std::string LanguageTable::DefaultLanguageName(unsigned system_language_id) const
{
    const unsigned primary = platform::PrimaryLanguage(system_language_id);
    const unsigned sub = platform::SubLanguage(system_language_id);
    std::string_view primary_name;
    for (const auto &p : kPrimaryNames) {
        if (p.id == primary) {
            primary_name = p.name;
            break;
        }
    }
    std::string_view full_name;
    if (!primary_name.empty()) {
        for (const auto &s : kSubNames) {
            if (s.id == sub && s.name.find(primary_name) != std::string_view::npos) {
                full_name = s.name;
                break;
            }
        }
    }
    if (!full_name.empty()) {
        for (const auto &entry : m_languages)
            if (entry.name.find(full_name) != std::string::npos)
                return entry.name;
    }
    return "English";
}

std::vector<LanguageMenuItem> LanguageTable::MenuItems() const
{
    std::vector<LanguageMenuItem> items;
    for (std::size_t i = 0; i < m_languages.size(); ++i)
        items.push_back({m_languages[i].name, kLanguageCommandFirst + static_cast<int>(i),
                         m_languages[i].name == m_current_name});
    return items;
}

bool LanguageTable::HandleLanguageCommand(int command)
{
    if (command < kLanguageCommandFirst || command > kLanguageCommandLast)
        return false;
    SelectLanguageByIndex(command - kLanguageCommandFirst);
    return true;
}

std::string LanguageTable::ReplaceEscapes(std::string text)
{
    for (auto [from, to] :
         {std::pair{"#13", '\n'}, std::pair{"#19", '\t'}, std::pair{"#17", '\r'}}) {
        std::string out;
        std::size_t pos = 0;
        for (;;) {
            std::size_t hit = text.find(from, pos);
            if (hit == std::string::npos) {
                out.append(text, pos);
                break;
            }
            out.append(text, pos, hit - pos);
            out += to;
            pos = hit + 3;
        }
        text = std::move(out);
    }
    return text;
}

std::string LanguageTable::Lookup(std::string_view section, std::string_view key,
                                  std::string_view default_text) const
{
    std::string text = m_current_file.empty()
        ? std::string(default_text).substr(0, kTextCapacity - 1)
        : platform::ReadProfileString(section, key, default_text, kTextCapacity, m_current_file);
    if (text.size() == kTextCapacity - 1) {
        // A value cut at the capacity may end inside a UTF-8 character: drop the partial one.
        std::size_t end = text.size();
        std::size_t lead = end;
        while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80)
            --lead;
        if (lead > 0) {
            unsigned char c = static_cast<unsigned char>(text[lead - 1]);
            std::size_t want = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            if (end - (lead - 1) < want)
                text.resize(lead - 1);
        }
    }
    return ReplaceEscapes(std::move(text));
}

LanguageTable &TheLanguageTable()
{
    static LanguageTable table;
    return table;
}

std::string LookupText(std::string_view section, std::string_view key,
                       std::string_view default_text)
{
    return TheLanguageTable().Lookup(section, key, default_text);
}

} // namespace quillet
