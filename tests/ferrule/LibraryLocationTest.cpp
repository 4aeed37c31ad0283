// SPDX-License-Identifier: GPL-3.0-or-later
#include "LibraryLocation.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <map>

using namespace quillet::ferrule;
using quillet::test::TempDir;
using quillet::test::WriteFile;
using std::filesystem::path;

namespace {

EnvironmentLookup Environment(std::map<std::string, std::string> values)
{
    return [values = std::move(values)](const char *name) -> std::optional<std::string> {
        const auto found = values.find(name);
        if (found == values.end())
            return std::nullopt;
        return found->second;
    };
}

} // namespace

TEST(MediaKindOf, decidesByExtensionIgnoringCase)
{
    EXPECT_EQ(MediaKindOf("/out/song.m4a"), MediaKind::Audio);
    EXPECT_EQ(MediaKindOf("/out/Song.FLAC"), MediaKind::Audio);
    EXPECT_EQ(MediaKindOf("/out/a.b.opus"), MediaKind::Audio);
    EXPECT_EQ(MediaKindOf("/out/clip.mp4"), MediaKind::Video);
    EXPECT_EQ(MediaKindOf("/out/clip.mp3.mkv"), MediaKind::Video);
    // The folder's name is not the file's extension.
    EXPECT_EQ(MediaKindOf("/out/mp3.d/clip"), MediaKind::Video);
    EXPECT_EQ(MediaKindOf("/out/.mp3"), MediaKind::Video);
}

TEST(FindUserDir, readsHomeRelativeAndAbsoluteFoldersAsTheShellWould)
{
    const path home = "/home/ann";
    const std::string text = "# XDG_MUSIC_DIR=\"$HOME/Commented\"\n"
                             "XDG_VIDEOS_DIR=\"/srv/films\"\n"
                             "  XDG_MUSIC_DIR = \"$HOME/Old\"\n"
                             "XDG_MUSIC_DIR=\"$HOME/My \\\"Best\\\" Music/\"\n"
                             "XDG_MUSIC_DIR_EXTRA=\"$HOME/Wrong\"\n";
    EXPECT_EQ(FindUserDir(text, "XDG_MUSIC_DIR", home), path("/home/ann/My \"Best\" Music/"));
    EXPECT_EQ(FindUserDir(text, "XDG_VIDEOS_DIR", home), path("/srv/films"));
    EXPECT_EQ(FindUserDir(text, "XDG_PICTURES_DIR", home), std::nullopt);
}

TEST(FindUserDir, ignoresMalformedAndSwitchedOffFolders)
{
    const path home = "/home/ann";
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=\"$HOME/\"\n", "XDG_MUSIC_DIR", home), std::nullopt);
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=\"$HOME\"", "XDG_MUSIC_DIR", home), std::nullopt);
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=\"Music\"", "XDG_MUSIC_DIR", home), std::nullopt);
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=\"$HOMEx/Music\"", "XDG_MUSIC_DIR", home), std::nullopt);
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=\"/unterminated", "XDG_MUSIC_DIR", home), std::nullopt);
    EXPECT_EQ(FindUserDir("XDG_MUSIC_DIR=/unquoted", "XDG_MUSIC_DIR", home), std::nullopt);
}

TEST(LocateLibraryFolder, configuredFolderWinsUnlessEmpty)
{
    TempDir home;
    WriteFile(home.path() / ".config/user-dirs.dirs", "XDG_VIDEOS_DIR=\"$HOME/Films\"\n");
    EXPECT_EQ(
        LocateLibraryFolder(
            "/out/a.mp4", Environment({{"QUILLET_MEDIA_LIBRARY", "/lib"}, {"HOME", home.path()}})),
        path("/lib"));
    EXPECT_EQ(
        LocateLibraryFolder("/out/a.mp4",
                            Environment({{"QUILLET_MEDIA_LIBRARY", ""}, {"HOME", home.path()}})),
        home.path() / "Films");
}

TEST(LocateLibraryFolder, picksMusicOrVideosFromTheUserDirsFileOfTheConfigHome)
{
    TempDir home;
    TempDir config;
    WriteFile(home.path() / ".config/user-dirs.dirs",
              "XDG_MUSIC_DIR=\"$HOME/Tunes\"\nXDG_VIDEOS_DIR=\"/films\"\n");
    WriteFile(config.path() / "user-dirs.dirs", "XDG_MUSIC_DIR=\"$HOME/Elsewhere\"\n");

    const auto default_config = Environment({{"HOME", home.path()}});
    EXPECT_EQ(LocateLibraryFolder("/out/a.mp3", default_config), home.path() / "Tunes");
    EXPECT_EQ(LocateLibraryFolder("/out/a.mkv", default_config), path("/films"));

    const auto own_config
        = Environment({{"HOME", home.path()}, {"XDG_CONFIG_HOME", config.path().string()}});
    EXPECT_EQ(LocateLibraryFolder("/out/a.mp3", own_config), home.path() / "Elsewhere");
    // Missing from that file: the usual folder, not the one from ~/.config.
    EXPECT_EQ(LocateLibraryFolder("/out/a.mkv", own_config), home.path() / "Videos");

    const auto relative_config
        = Environment({{"HOME", home.path()}, {"XDG_CONFIG_HOME", "relative/config"}});
    EXPECT_EQ(LocateLibraryFolder("/out/a.mp3", relative_config), home.path() / "Tunes");
}

TEST(LocateLibraryFolder, fallsBackToMusicAndVideosWithoutAUserDirsFile)
{
    TempDir home;
    const auto environment = Environment({{"HOME", home.path()}});
    EXPECT_EQ(LocateLibraryFolder("/out/a.wav", environment), home.path() / "Music");
    EXPECT_EQ(LocateLibraryFolder("/out/a.avi", environment), home.path() / "Videos");
}
