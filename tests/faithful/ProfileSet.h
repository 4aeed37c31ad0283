// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in profiles as the profile loops convert them: read from the program's ini/ folder,
// and told apart by what they make rather than by their names.
#pragma once

#include "core/ProfileFile.h"

#include "TempDir.h"

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace quillet::test {

struct BuiltInProfile
{
    std::string name; ///< "FILE.ini:SECTION", as quillet-cli -p takes it
    ProfileRecord record;
};

/// Every built-in profile, file by file.
inline std::vector<BuiltInProfile> BuiltInProfiles()
{
    std::vector<BuiltInProfile> profiles;
    for (const auto &entry : std::filesystem::directory_iterator(ProgramDir() / "ini")) {
        const std::string file = entry.path().filename().string();
        if (file == "kreldef.ini")
            continue;
        for (const auto &section : ProfileFile::ListNames(entry.path())) {
            BuiltInProfile profile;
            ProfileFile::Read(section, profile.record, entry.path());
            profile.name = std::string(file).append(":").append(section);
            profiles.push_back(profile);
        }
    }
    return profiles;
}

/// Everything of a profile that shapes its output: not its names, its description or the
/// command run after it (adding to the media library copies the same output once more).
inline std::string ConversionSettings(const ProfileRecord &r)
{
    std::ostringstream key;
    key << r.TargetType.view() << '|' << r.BeforePara.view() << '|' << r.Para.view() << '|'
        << r.bDisableAudio << r.bAudioCustomSampleRate << ' ' << r.nAudioCustomSampleRate << ' '
        << r.bAudioCustomBitRate << ' ' << r.nAudioCustomBitRate << ' ' << r.nAudioChannel << ' '
        << r.bAudioCustomVolume << ' ' << r.nAudioVolume << ' ' << r.cAudioCodec.view() << '|'
        << r.bDisableVideo << r.bVideoHighQuality << r.bVideoCustomFrameRate << ' '
        << r.nVideoCustomFrameRate << ' ' << r.bVideoCustomBitRate << ' ' << r.nVideoCustomBitRate
        << ' ' << r.nVideoBitRateLevel << ' ' << r.nVideoBitRateLevel2 << ' '
        << r.nVideoBitRateLevel3 << ' ' << r.cVideoCodec.view() << '|' << r.bVideoEnableCrop << ' '
        << r.nVideoCropLeft << ' ' << r.nVideoCropRight << ' ' << r.nVideoCropTop << ' '
        << r.nVideoCropBottom << ' ' << r.bVideoEnablePad << ' ' << r.nVideoPadLeft << ' '
        << r.nVideoPadRight << ' ' << r.nVideoPadTop << ' ' << r.nVideoPadBottom << ' '
        << r.nVideoPadColor << ' ' << r.nVideoRiszeOption << ' ' << r.nVideoCustomSizeX << ' '
        << r.nVideoCustomSizeY << ' ' << r.nAspect;
    return key.str();
}

/// One built-in profile for each distinct conversion: profiles that differ only in name (an
/// iPhone's and an iPad's 4K, a copy that adds to the library) convert the same way, and a
/// loop over every profile converts each such output once.
inline std::vector<BuiltInProfile> DistinctConversions()
{
    std::vector<BuiltInProfile> distinct;
    std::set<std::string> seen;
    for (BuiltInProfile &profile : BuiltInProfiles())
        if (seen.insert(ConversionSettings(profile.record)).second)
            distinct.push_back(std::move(profile));
    return distinct;
}

} // namespace quillet::test
