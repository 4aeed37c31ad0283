// SPDX-License-Identifier: GPL-3.0-or-later
// The folder the programs write to: the program folder when it can be written, else the
// per-user stand-in with its copy of the built-in profile files.
#include "platform/DataFolder.h"
#include "platform/ChildProcess.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <grp.h>
#include <unistd.h>

#include <cstdlib>

using namespace quillet;
using namespace quillet::platform;
namespace fs = std::filesystem;

namespace {

bool Never(const std::string &)
{
    return false;
}

/// A program folder with three built-in profile files and something that is not one.
struct ProgramFolder
{
    test::TempDir dir;
    ProgramFolder()
    {
        test::WriteFile(dir.path() / "ini" / "ipadh264.ini", "[iPad]\nTarget=mp4\n");
        test::WriteFile(dir.path() / "ini" / "mp3c.ini", "[MP3]\nTarget=mp3\n");
        test::WriteFile(dir.path() / "ini" / "kreldef.ini", "[Default]\nProfile=iPad\n");
        test::WriteFile(dir.path() / "ini" / "notes.txt", "not a profile\n");
    }
    std::string Path() const { return dir.path().string(); }
};

} // namespace

TEST(DataFolder, aWritableProgramFolderIsUsedAsItStandsAndNothingIsCopied)
{
    ProgramFolder program;
    test::TempDir home;
    const DataFolderChoice choice = ChooseDataFolder(program.Path(), home.path().string());
    EXPECT_EQ(choice.folder, program.Path());
    EXPECT_FALSE(choice.stand_in);
    EXPECT_EQ(choice.files_added, 0);
    EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(DataFolder, aReadOnlyProgramFolderGetsAStandInThatKeepsTheUsersFilesAcrossUpgrades)
{
    ProgramFolder program;
    test::TempDir home;
    const fs::path own = home.path() / "quillet";

    DataFolderChoice choice = ChooseDataFolder(program.Path(), home.path().string(), Never);
    EXPECT_TRUE(choice.stand_in);
    EXPECT_EQ(choice.folder, own.string());
    EXPECT_EQ(choice.files_added, 3);
    EXPECT_EQ(choice.error, "");
    EXPECT_EQ(test::ReadFile(own / "ini" / "ipadh264.ini"), "[iPad]\nTarget=mp4\n");
    EXPECT_EQ(test::ReadFile(own / "ini" / "kreldef.ini"), "[Default]\nProfile=iPad\n");
    EXPECT_FALSE(fs::exists(own / "ini" / "notes.txt"));
    EXPECT_TRUE(fs::is_directory(own / "output"));

    // The user saves a profile and picks another; an upgrade changes a built-in file and
    // brings a new one.
    test::WriteFile(own / "ini" / "ipadh264.ini", "[iPad]\nTarget=mp4\n[Mine]\nTarget=mkv\n");
    test::WriteFile(own / "ini" / "kreldef.ini", "[Default]\nProfile=Mine\n");
    test::WriteFile(program.dir.path() / "ini" / "ipadh264.ini", "[iPad]\nTarget=m4v\n");
    test::WriteFile(program.dir.path() / "ini" / "wavc.ini", "[WAV]\nTarget=wav\n");
    choice = ChooseDataFolder(program.Path(), home.path().string(), Never);
    EXPECT_EQ(choice.files_added, 1);
    EXPECT_EQ(test::ReadFile(own / "ini" / "ipadh264.ini"),
              "[iPad]\nTarget=mp4\n[Mine]\nTarget=mkv\n");
    EXPECT_EQ(test::ReadFile(own / "ini" / "kreldef.ini"), "[Default]\nProfile=Mine\n");
    EXPECT_EQ(test::ReadFile(own / "ini" / "wavc.ini"), "[WAV]\nTarget=wav\n");
    // No temporary file of the copies is left behind.
    int files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(own / "ini"))
        ++files;
    EXPECT_EQ(files, 4);
}

TEST(DataFolder, aStandInThatCannotBeMadeSaysWhy)
{
    ProgramFolder program;
    test::TempDir home;
    const fs::path blocker = test::WriteFile(home.path() / "data", "a file, not a folder");
    const DataFolderChoice choice = ChooseDataFolder(program.Path(), blocker.string(), Never);
    EXPECT_TRUE(choice.stand_in);
    EXPECT_NE(choice.error.find("cannot create"), std::string::npos) << choice.error;
    // The built-in profiles stay readable where they are.
    EXPECT_EQ(choice.folder, program.Path());
    EXPECT_EQ(choice.files_added, 0);
}

TEST(DataFolder, writabilityIsProbedNotOnlyAskedOf)
{
    test::TempDir dir;
    EXPECT_TRUE(FolderWritable(dir.path().string()));
    EXPECT_TRUE(fs::is_empty(dir.path())); // the probe is gone
    EXPECT_FALSE(FolderWritable((dir.path() / "missing").string()));
    // /proc refuses new files even to the superuser, whom access() lets through.
    EXPECT_FALSE(FolderWritable("/proc"));
}

// An installed program folder belongs to root and is only read by the user. CI runs the tests as
// root, whom permission bits do not stop, so there the user's side is played by nobody.
TEST(DataFolder, aProgramFolderTheUserCannotWriteGetsTheStandIn)
{
    ProgramFolder program;
    test::TempDir home;
    const auto as_the_user = [&] {
        if (FolderWritable(program.Path()))
            return 1;
        const DataFolderChoice choice = ChooseDataFolder(program.Path(), home.path().string());
        const bool copied = fs::is_regular_file(home.path() / "quillet/ini/mp3c.ini");
        return choice.stand_in && choice.files_added == 3 && choice.error.empty() && copied ? 0 : 3;
    };
    const auto read_only = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read
        | fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    fs::permissions(program.dir.path(), read_only);
    int status = 0;
    if (::geteuid() != 0) {
        status = as_the_user();
    } else {
        constexpr uid_t kNobody = 65534;
        ASSERT_EQ(::chown(home.path().c_str(), kNobody, kNobody), 0);
        platform::ChildProcess user = platform::ChildProcess::Fork([&] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
                || ::setresuid(kNobody, kNobody, kNobody) != 0)
                return 2;
            return as_the_user();
        });
        status = user.Wait();
    }
    fs::permissions(program.dir.path(), fs::perms::owner_all);
    EXPECT_EQ(status, 0) << "1: the folder counted as writable, 2: no unprivileged user, "
                            "3: no stand-in";
}

TEST(DataFolder, withoutAHomeNothingIsMadeAndTheProgramFolderStays)
{
    ProgramFolder program;
    const DataFolderChoice choice = ChooseDataFolder(program.Path(), "", Never);
    EXPECT_TRUE(choice.stand_in);
    EXPECT_EQ(choice.folder, program.Path());
    EXPECT_NE(choice.error.find("HOME"), std::string::npos) << choice.error;
    EXPECT_EQ(choice.files_added, 0);
}

TEST(DataFolder, theUsersDataHomeFollowsTheBaseDirectoryRules)
{
    const char *saved_data = std::getenv("XDG_DATA_HOME");
    const char *saved_home = std::getenv("HOME");
    const std::string data = saved_data ? saved_data : "";
    const std::string home = saved_home ? saved_home : "";
    ::setenv("HOME", "/home/ann", 1);
    ::setenv("XDG_DATA_HOME", "/srv/ann-data", 1);
    EXPECT_EQ(UserDataHome(), "/srv/ann-data");
    ::setenv("XDG_DATA_HOME", "relative/data", 1); // not absolute: ignored
    EXPECT_EQ(UserDataHome(), "/home/ann/.local/share");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(UserDataHome(), "/home/ann/.local/share");
    ::unsetenv("HOME");
    EXPECT_EQ(UserDataHome(), "");
    saved_data ? ::setenv("XDG_DATA_HOME", data.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
    saved_home ? ::setenv("HOME", home.c_str(), 1) : ::unsetenv("HOME");
}
