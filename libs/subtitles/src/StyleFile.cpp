// SPDX-License-Identifier: GPL-3.0-or-later
#include "StyleFile.h"

#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"

// The engine's reader of the style file, compiled in from the engine's sources.
#include "SubtitleStyle.h"

#include <system_error>

namespace subtitles {

namespace {

constexpr const char *kSection = "Style";

/// The file as saving settings would leave it; false when the file exists but cannot be read
/// (saving over it would lose its other lines).
bool Edited(const std::filesystem::path &location, const StyleSettings &settings,
            quillet::platform::IniDocument &document)
{
    const bool read = document.Load(location);
    for (const auto &[key, value] : StyleFields(settings))
        document.Set(kSection, key, value);
    return read;
}

} // namespace

StyleFile::StyleFile()
    : m_location(dolmar::SubtitleStyle::Location())
{ }

StyleFile::StyleFile(std::filesystem::path location)
    : m_location(std::move(location))
{ }

StyleSettings StyleFile::Load(const StyleSettings &defaults) const
{
    std::string text;
    if (m_location.empty() || !quillet::platform::ReadWholeFile(m_location, text))
        return defaults;
    return FromForceStyle(dolmar::SubtitleStyle::ForceStyleFrom(text), defaults);
}

std::string StyleFile::TextAfterSaving(const StyleSettings &settings) const
{
    quillet::platform::IniDocument document;
    Edited(m_location, settings, document);
    return document.Serialize();
}

std::string StyleFile::ForceStyleAfterSaving(const StyleSettings &settings) const
{
    return dolmar::SubtitleStyle::ForceStyleFrom(TextAfterSaving(settings));
}

bool StyleFile::Save(const StyleSettings &settings, std::string *error) const
{
    if (m_location.empty()) {
        if (error)
            *error = "there is no home folder to keep the subtitle style in";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(m_location.parent_path(), ec);
    if (ec) {
        if (error)
            *error = "cannot create " + m_location.parent_path().string() + ": " + ec.message();
        return false;
    }
    quillet::platform::IniDocument document;
    if (!Edited(m_location, settings, document)) {
        if (error)
            *error = "cannot read " + m_location.string();
        return false;
    }
    return document.Save(m_location, error);
}

} // namespace subtitles
