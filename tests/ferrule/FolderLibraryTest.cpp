// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderLibraryApplication.h"
#include "FolderLibraryLayer.h"
#include "LibraryCopy.h"

#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace quillet::ferrule;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;
using testing::UnorderedElementsAre;

namespace {

std::vector<std::string> Names(const std::filesystem::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

std::string BinaryContent(size_t size_bytes)
{
    std::string bytes(size_bytes, '\0');
    for (size_t i = 0; i < size_bytes; ++i)
        bytes[i] = static_cast<char>((i * 131) % 256);
    return bytes;
}

/// Runs in a death-test child: copies with writes limited to 1 MiB, prints the error and exits 0
/// when the copy failed.
[[noreturn]] void CopyUnderSizeLimit(const std::filesystem::path &source,
                                     const std::filesystem::path &folder)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{rlim_t{1024} * 1024, rlim_t{1024} * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    const AddResult result = CopyIntoFolder(source, folder);
    std::fprintf(stderr, "%s\n", result.error.c_str());
    std::_Exit(result.added ? 1 : 0);
}

} // namespace

TEST(NumberedName, putsTheNumberBeforeTheLastExtension)
{
    EXPECT_EQ(NumberedName("clip.mp4", 0), "clip.mp4");
    EXPECT_EQ(NumberedName("clip.mp4", 2), "clip (2).mp4");
    EXPECT_EQ(NumberedName("backup.tar.gz", 1), "backup.tar (1).gz");
    EXPECT_EQ(NumberedName("README", 3), "README (3)");
}

TEST(CopyIntoFolder, copiesBytesExactlyAndNeverReplacesAnExistingFile)
{
    TempDir dir;
    const std::filesystem::path library = dir.path() / "library";
    std::filesystem::create_directory(library);
    const std::string content = BinaryContent(3 * 1024 * 1024 + 17);
    const auto source = WriteFile(dir.path() / "out/clip.m4a", content);
    WriteFile(library / "clip (1).m4a", "someone else's");

    const AddResult first = CopyIntoFolder(source, library);
    const AddResult second = CopyIntoFolder(source, library);
    ASSERT_TRUE(first.added) << first.error;
    ASSERT_TRUE(second.added) << second.error;
    EXPECT_EQ(first.destination, library / "clip.m4a");
    EXPECT_EQ(second.destination, library / "clip (2).m4a");
    EXPECT_EQ(ReadFile(library / "clip.m4a"), content);
    EXPECT_EQ(ReadFile(library / "clip (2).m4a"), content);
    EXPECT_EQ(ReadFile(library / "clip (1).m4a"), "someone else's");
    EXPECT_THAT(Names(library), UnorderedElementsAre("clip.m4a", "clip (1).m4a", "clip (2).m4a"));
}

TEST(CopyIntoFolder, leavesAFileAlreadyInTheLibraryWhereItIs)
{
    TempDir library;
    const auto source = WriteFile(library.path() / "Artist/song.mp3", "tune");
    const AddResult result = CopyIntoFolder(source, library.path());
    EXPECT_TRUE(result.added);
    EXPECT_EQ(result.destination, source);
    EXPECT_THAT(Names(library.path() / "Artist"), UnorderedElementsAre("song.mp3"));
}

TEST(CopyIntoFolder, refusesWhatIsNotARegularFile)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "library");
    std::filesystem::create_directory(dir.path() / "clip.mp4");
    const AddResult result = CopyIntoFolder(dir.path() / "clip.mp4", dir.path() / "library");
    EXPECT_FALSE(result.added);
    EXPECT_THAT(result.error, testing::HasSubstr("not a regular file"));
    EXPECT_TRUE(Names(dir.path() / "library").empty());
}

TEST(CopyIntoFolderDeathTest, aWriteFailureLeavesNoFileBehind)
{
    TempDir dir;
    const std::filesystem::path library = dir.path() / "library";
    std::filesystem::create_directory(library);
    const auto source
        = WriteFile(dir.path() / "clip.mp4", BinaryContent(std::size_t{3} * 1024 * 1024));

    // A file-size limit fails the write part way, like a disk that fills up during the copy. It
    // is set in the forked child only.
    EXPECT_EXIT(CopyUnderSizeLimit(source, library), testing::ExitedWithCode(0),
                "cannot write into .*File too large");
    EXPECT_TRUE(Names(library).empty());
}

// A source cut short while it is copied (a file still being moved, a disk going away) must not
// leave a short copy in the library under its final name.
TEST(CopyIntoFolder, aSourceThatShrinksDuringTheCopyFailsAndLeavesNothing)
{
    TempDir dir;
    const std::filesystem::path library = dir.path() / "library";
    std::filesystem::create_directory(library);
    const std::filesystem::path source = dir.path() / "clip.mp4";
    constexpr off_t kSize = off_t{128} * 1024 * 1024;
    {
        std::FILE *file = std::fopen(source.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs("header", file);
        std::fclose(file);
        ASSERT_EQ(truncate(source.c_str(), kSize), 0);
    }

    // The source is cut to half as soon as the first mebibytes are in the temporary copy, long
    // before the copy could have read to the end.
    std::atomic<bool> shrunk = false;
    std::thread copier;
    AddResult result;
    copier = std::thread([&] { result = CopyIntoFolder(source, library); });
    while (!shrunk) {
        for (const auto &name : Names(library)) {
            struct stat st;
            if (name.ends_with(".part") && stat((library / name).c_str(), &st) == 0
                && st.st_size > 0 && st.st_size < kSize / 4) {
                ASSERT_EQ(truncate(source.c_str(), kSize / 2), 0);
                shrunk = true;
            }
        }
        if (!shrunk && Names(library).size() > 0 && !Names(library)[0].ends_with(".part"))
            break; // copied before it could be cut: a machine far faster than this test expects
    }
    copier.join();
    ASSERT_TRUE(shrunk) << "the copy ended before the source could be cut";
    EXPECT_FALSE(result.added);
    EXPECT_THAT(result.error, testing::HasSubstr("changed while it was copied"));
    EXPECT_TRUE(Names(library).empty());
}

TEST(FolderLibraryLayer, hasAnApplicationOnlyForAnExistingFolder)
{
    TempDir dir;
    WriteFile(dir.path() / "file", "");
    EXPECT_NE(FolderLibraryLayer(dir.path()).CreateApplication(), nullptr);
    EXPECT_EQ(FolderLibraryLayer(dir.path() / "missing").CreateApplication(), nullptr);
    EXPECT_EQ(FolderLibraryLayer(dir.path() / "file").CreateApplication(), nullptr);
    EXPECT_EQ(FolderLibraryLayer("").CreateApplication(), nullptr);
}

TEST(FolderLibraryApplication, grantsThePlaylistToOneImportAtATime)
{
    TempDir library;
    FolderLibraryApplication first(library.path());
    FolderLibraryApplication second(library.path());

    PlaylistGrant held = first.GetLibraryPlaylist();
    ASSERT_EQ(held.status, PlaylistStatus::Granted) << held.error;
    EXPECT_EQ(second.GetLibraryPlaylist().status, PlaylistStatus::Busy);

    held.playlist.reset();
    EXPECT_EQ(second.GetLibraryPlaylist().status, PlaylistStatus::Granted);
}

TEST(FolderLibraryApplication, failsPlainlyWhenTheLockCannotBeMade)
{
    TempDir library;
    // A dangling symbolic link in place of the lock file is refused rather than followed.
    std::filesystem::create_symlink(library.path() / "elsewhere",
                                    library.path() / FolderLibraryApplication::kLockFileName);
    const PlaylistGrant grant = FolderLibraryApplication(library.path()).GetLibraryPlaylist();
    EXPECT_EQ(grant.status, PlaylistStatus::Failed);
    EXPECT_THAT(grant.error, testing::HasSubstr(".ferrule.lock"));
    EXPECT_FALSE(std::filesystem::exists(library.path() / "elsewhere"));
}
