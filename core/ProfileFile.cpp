// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ProfileFile.h"

#include "platform/IniDocument.h"
#include "platform/NumberText.h"
#include "platform/PrivateProfile.h"
#include "platform/TextCase.h"

#include <cstdio>
#include <cstdlib>

namespace quillet::ProfileFile {

namespace {

using platform::IniDocument;

class SectionReader
{
public:
    SectionReader(const IniDocument &doc, std::string_view section)
        : m_doc(doc)
        , m_section(section)
    { }

    template<std::size_t N> void Text(std::string_view key, FixedString<N> &field) const
    {
        field = m_doc.Value(m_section, key).value_or(std::string());
    }
    void Int(std::string_view key, int32_t &field) const
    {
        auto v = m_doc.Value(m_section, key);
        field = v ? platform::LeadingInteger(*v) : 0;
    }
    void Float(std::string_view key, float &field) const
    {
        // Stored as text of at most 60 characters and converted as strtod does.
        std::string text = m_doc.Value(m_section, key).value_or(std::string());
        if (text.size() > 60)
            text.resize(60);
        field = static_cast<float>(platform::ParseLeadingDouble(text));
    }

private:
    const IniDocument &m_doc;
    std::string_view m_section;
};

class SectionWriter
{
public:
    void Text(std::string_view key, std::string_view value)
    {
        m_values.emplace_back(std::string(key), std::string(value));
    }
    void Int(std::string_view key, int32_t value) { Text(key, std::to_string(value)); }
    void Float(std::string_view key, float value)
    {
        Text(key, platform::FormatFixed(static_cast<double>(value), 6));
    }
    const std::vector<std::pair<std::string, std::string>> &Values() const { return m_values; }

private:
    std::vector<std::pair<std::string, std::string>> m_values;
};

} // namespace

void Read(std::string_view section, ProfileRecord &r, const std::filesystem::path &file)
{
    const IniDocument doc = platform::LoadProfileFile(file);
    SectionReader in(doc, section);
    r.section_name = section;
    in.Text("FormatName", r.FormatName);
    in.Text("FormatHint", r.FormatHint);
    in.Text("TargetType", r.TargetType);
    in.Text("BeforePara", r.BeforePara);
    in.Text("Para", r.Para);
    in.Text("PostProcess", r.PostProcess);
    in.Int("bDisableAudio", r.bDisableAudio);
    in.Int("bAudioCustomSampleRate", r.bAudioCustomSampleRate);
    in.Int("nAudioCustomSampleRate", r.nAudioCustomSampleRate);
    in.Int("bAudioCustomBitRate", r.bAudioCustomBitRate);
    in.Float("nAudioCustomBitRate", r.nAudioCustomBitRate);
    in.Int("nAudioChannel", r.nAudioChannel);
    in.Int("bAudioCustomVolume", r.bAudioCustomVolume);
    in.Int("nAudioVolume", r.nAudioVolume);
    in.Text("cAudioCodec", r.cAudioCodec);
    in.Int("bDisableVideo", r.bDisableVideo);
    in.Int("bVideoHighQuality", r.bVideoHighQuality);
    in.Int("bVideoCustomFrameRate", r.bVideoCustomFrameRate);
    in.Float("nVideoCustomFrameRate", r.nVideoCustomFrameRate);
    in.Float("nVideoBitRateLevel", r.nVideoBitRateLevel);
    in.Float("nVideoBitRateLevel2", r.nVideoBitRateLevel2);
    in.Float("nVideoBitRateLevel3", r.nVideoBitRateLevel3);
    in.Int("bVideoCustomBitRate", r.bVideoCustomBitRate);
    in.Int("nVideoCustomBitRate", r.nVideoCustomBitRate);
    in.Text("cVideoCodec", r.cVideoCodec);
    in.Int("bVideoEnableCrop", r.bVideoEnableCrop);
    in.Int("nVideoCropLeft", r.nVideoCropLeft);
    in.Int("nVideoCropRight", r.nVideoCropRight);
    in.Int("nVideoCropTop", r.nVideoCropTop);
    in.Int("nVideoCropBottom", r.nVideoCropBottom);
    in.Int("bVideoEnablePad", r.bVideoEnablePad);
    in.Int("nVideoPadLeft", r.nVideoPadLeft);
    in.Int("nVideoPadRight", r.nVideoPadRight);
    in.Int("nVideoPadTop", r.nVideoPadTop);
    in.Int("nVideoPadBottom", r.nVideoPadBottom);
    in.Int("nVideoPadColor", r.nVideoPadColor);
    in.Int("nVideoRiszeOption", r.nVideoRiszeOption);
    in.Int("nVideoCustomSizeX", r.nVideoCustomSizeX);
    in.Int("nVideoCustomSizeY", r.nVideoCustomSizeY);
    in.Int("nAspect", r.nAspect);
    in.Int("bCanBurn", r.bCanBurn);
    in.Text("BurnType", r.BurnType);
}

bool Write(std::string_view section, const ProfileRecord &r, const std::filesystem::path &file)
{
    // The order below is the order a new section lists its keys in.
    SectionWriter out;
    out.Text("FormatName", r.FormatName);
    out.Text("FormatHint", r.FormatHint);
    out.Text("TargetType", r.TargetType);
    out.Text("Para", r.Para);
    out.Text("BeforePara", r.BeforePara);
    out.Text("PostProcess", r.PostProcess);
    out.Int("bDisableAudio", r.bDisableAudio);
    out.Int("bAudioCustomSampleRate", r.bAudioCustomSampleRate);
    out.Int("nAudioCustomSampleRate", r.nAudioCustomSampleRate);
    out.Int("bAudioCustomBitRate", r.bAudioCustomBitRate);
    out.Float("nAudioCustomBitRate", r.nAudioCustomBitRate);
    out.Int("nAudioChannel", r.nAudioChannel);
    out.Int("bAudioCustomVolume", r.bAudioCustomVolume);
    out.Int("nAudioVolume", r.nAudioVolume);
    out.Text("cAudioCodec", r.cAudioCodec);
    out.Int("bDisableVideo", r.bDisableVideo);
    out.Int("bVideoHighQuality", r.bVideoHighQuality);
    out.Int("bVideoCustomFrameRate", r.bVideoCustomFrameRate);
    out.Float("nVideoCustomFrameRate", r.nVideoCustomFrameRate);
    out.Float("nVideoBitRateLevel", r.nVideoBitRateLevel);
    out.Float("nVideoBitRateLevel2", r.nVideoBitRateLevel2);
    out.Float("nVideoBitRateLevel3", r.nVideoBitRateLevel3);
    out.Int("bVideoCustomBitRate", r.bVideoCustomBitRate);
    out.Int("nVideoCustomBitRate", r.nVideoCustomBitRate);
    out.Text("cVideoCodec", r.cVideoCodec);
    out.Int("bVideoEnableCrop", r.bVideoEnableCrop);
    out.Int("nVideoCropLeft", r.nVideoCropLeft);
    out.Int("nVideoCropRight", r.nVideoCropRight);
    out.Int("nVideoCropTop", r.nVideoCropTop);
    out.Int("nVideoCropBottom", r.nVideoCropBottom);
    out.Int("bVideoEnablePad", r.bVideoEnablePad);
    out.Int("nVideoPadLeft", r.nVideoPadLeft);
    out.Int("nVideoPadRight", r.nVideoPadRight);
    out.Int("nVideoPadTop", r.nVideoPadTop);
    out.Int("nVideoPadBottom", r.nVideoPadBottom);
    out.Int("nVideoPadColor", r.nVideoPadColor);
    out.Int("nVideoRiszeOption", r.nVideoRiszeOption);
    out.Int("nVideoCustomSizeX", r.nVideoCustomSizeX);
    out.Int("nVideoCustomSizeY", r.nVideoCustomSizeY);
    out.Int("nAspect", r.nAspect);
    out.Int("bCanBurn", r.bCanBurn);
    out.Text("BurnType", r.BurnType);
    return platform::WriteProfileStrings(section, out.Values(), file);
}

WriteIfAbsentResult WriteIfAbsent(std::string_view section, const ProfileRecord &record,
                                  const std::filesystem::path &file)
{
    // Every section of the file counts, not only those a 5120-byte list would hold: a name past
    // the list would otherwise be written over.
    IniDocument doc;
    if (!doc.Load(file))
        return WriteIfAbsentResult::Failed;
    for (const auto &name : doc.SectionNames())
        if (platform::EqualsIgnoringCase(name, section))
            return WriteIfAbsentResult::Exists;
    return Write(section, record, file) ? WriteIfAbsentResult::Written
                                        : WriteIfAbsentResult::Failed;
}

std::size_t List(const std::filesystem::path &file, char *buffer, std::size_t size)
{
    return platform::ReadProfileSectionNames(buffer, size, file);
}

std::vector<std::string> ListNames(const std::filesystem::path &file)
{
    return platform::ReadWholeSectionNames(kSectionListSize, file);
}

std::vector<std::string> SectionNames(const std::filesystem::path &file)
{
    IniDocument doc;
    if (!doc.Load(file))
        return {};
    return doc.SectionNames();
}

} // namespace quillet::ProfileFile
