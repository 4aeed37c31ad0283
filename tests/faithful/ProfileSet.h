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
#include <string_view>
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

/// The options of a profile's command line that shape the file around its sound: the
/// container and its size limit. The built-in profiles' other options (level, rate, preset,
/// tag, colour) only shape the picture.
inline std::string FileOptions(std::string_view options)
{
    static const std::set<std::string, std::less<>> kFileOptions = {"-f", "-fs", "-movflags"};
    std::istringstream words{std::string(options)};
    std::string word;
    std::string kept;
    bool value = false;
    while (words >> word) {
        if (value || kFileOptions.contains(word))
            kept.append(word).append(" ");
        value = !value && kFileOptions.contains(word);
    }
    return kept;
}

/// Everything of a profile that shapes its sound: not its picture, its names, its description
/// or the command run after it.
inline std::string SoundSettings(const ProfileRecord &r)
{
    std::ostringstream key;
    key << r.TargetType.view() << '|' << FileOptions(r.BeforePara.view()) << '|'
        << FileOptions(r.Para.view()) << '|' << r.bDisableAudio << r.bAudioCustomSampleRate << ' '
        << r.nAudioCustomSampleRate << ' ' << r.bAudioCustomBitRate << ' ' << r.nAudioCustomBitRate
        << ' ' << r.nAudioChannel << ' ' << r.bAudioCustomVolume << ' ' << r.nAudioVolume << ' '
        << r.cAudioCodec.view() << '|' << r.bDisableVideo;
    return key.str();
}

/// Everything of a profile that shapes its picture: not its sound, its names, its description
/// or the command run after it.
inline std::string PictureSettings(const ProfileRecord &r)
{
    std::ostringstream key;
    key << r.TargetType.view() << '|' << r.BeforePara.view() << '|' << r.Para.view() << '|'
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

/// Everything of a profile that shapes its output.
inline std::string ConversionSettings(const ProfileRecord &r)
{
    return SoundSettings(r) + '|' + PictureSettings(r);
}

/// One built-in profile for each distinct output as settings(record) tells them apart:
/// profiles that differ only in name (an iPhone's and an iPad's 4K, a copy that adds to the
/// library) convert the same way, and a loop that looks only at the sound need not make each
/// picture a profile can make (a 4K HEVC picture takes an encoder many times as long as the
/// rest of a short clip).
inline std::vector<BuiltInProfile>
DistinctConversions(std::string (*settings)(const ProfileRecord &) = ConversionSettings)
{
    std::vector<BuiltInProfile> distinct;
    std::set<std::string> seen;
    for (BuiltInProfile &profile : BuiltInProfiles())
        if (seen.insert(settings(profile.record)).second)
            distinct.push_back(std::move(profile));
    return distinct;
}

} // namespace quillet::test
