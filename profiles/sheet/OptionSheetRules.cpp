// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/OptionSheetRules.h"

#include "core/FrameSizes.h"
#include "core/OptionText.h"
#include "core/ProfileApplier.h"
#include "core/Task.h"
#include "platform/IniDocument.h"
#include "platform/TextCase.h"

#include <cstdio>

namespace quillet::sheet {

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

int SelectCodecIndex(std::span<const std::string_view> items, std::string_view codec)
{
    // Walking the items that begin with the name and stopping at a whole match is the same as
    // taking the first whole match: an item equal to the name also begins with it.
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (platform::EqualsIgnoringCase(items[i], codec))
            return static_cast<int>(i);
    }
    return items.empty() ? -1 : 0;
}

std::optional<FrameSize> OutputSizeOfChoice(int choice, FrameSize custom, FrameSize source)
{
    if (choice < 0 || choice >= kSizeChoices)
        return std::nullopt;
    if (choice == kOriginalSize)
        return source;
    if (choice == kCustomSize)
        return custom;
    const std::optional<NamedFrame> named = NamedFrameOf(choice);
    if (!named)
        return std::nullopt;
    return FrameSize{named->width, named->height};
}

int DefaultVideoBitRate(float q1, float q2, float q3, FrameSize size)
{
    return quillet::DefaultVideoBitRate(q1, q2, q3, size.width, size.height);
}

std::string QualitySetting(std::string_view options)
{
    const std::vector<std::string_view> words = SplitOptionString(options);
    std::string setting;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "-crf")
            setting = "CRF " + std::string(words[i + 1]);
        else if (words[i] == "-qscale" || words[i] == "-q:v")
            setting = "q " + std::string(words[i + 1]);
    }
    return setting;
}

std::string PadColorText(int32_t rgb)
{
    const auto value = static_cast<uint32_t>(rgb);
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X%02X%02X", (value >> 16) & 0xFFu, (value >> 8) & 0xFFu,
                  value & 0xFFu);
    return text;
}

std::string TrimmedProfileName(std::string_view name)
{
    while (!name.empty() && IsBlank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && IsBlank(name.back()))
        name.remove_suffix(1);
    return std::string(name);
}

NameRefusal RefusalOfName(std::string_view name)
{
    const std::string trimmed = TrimmedProfileName(name);
    if (trimmed.empty())
        return NameRefusal::Blank;
    // A ']' would end the section header early and a line break would split it: the file
    // could not hold the name, and the profile would be written nowhere.
    if (trimmed.find_first_of("]\r\n") != std::string::npos)
        return NameRefusal::Unstorable;
    return NameRefusal::None;
}

std::vector<std::string> SectionNamesOf(const std::filesystem::path &file)
{
    // The whole file, not the first 5120 bytes of names a section-name buffer would hold: a
    // name beyond them would pass as free and its profile would be overwritten.
    platform::IniDocument doc;
    doc.Load(file);
    return doc.SectionNames();
}

bool NameTaken(std::string_view name, const std::vector<std::string> &sections)
{
    for (const auto &section : sections) {
        if (platform::EqualsIgnoringCase(section, name))
            return true;
    }
    return false;
}

void ApplySheetResultToTask(Task &task, const ProfileRecord &current)
{
    ProfileRecord &r = task.settings;
    r = current;
    r.source_width = task.source_width;
    r.source_height = task.source_height;
    r.estimated_video_bit_rate = EstimateVideoBitRate(r);
}

} // namespace quillet::sheet
