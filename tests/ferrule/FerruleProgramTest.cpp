// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built ferrule the way the converter does, without a display.
#include "Command.h"
#include "TempDir.h"

#include "platform/UniqueFd.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

using quillet::test::CommandResult;
using quillet::test::ProgramDir;
using quillet::test::ReadFile;
using quillet::test::RunCommand;
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

/// A library folder, a finished output and a way to run ferrule on them.
class FerruleProgram : public testing::Test
{
protected:
    void SetUp() override { std::filesystem::create_directory(m_library); }

    CommandResult Run(std::vector<std::string> arguments, std::vector<std::string> environment)
    {
        arguments.insert(arguments.begin(), (ProgramDir() / "ferrule").string());
        // Qt would otherwise open a box nobody can close, or take the test's own platform.
        environment.insert(environment.end(),
                           {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "HOME=" + m_home});
        return RunCommand(arguments, environment);
    }
    CommandResult Run(std::vector<std::string> arguments)
    {
        return Run(std::move(arguments), {"QUILLET_MEDIA_LIBRARY=" + m_library.string()});
    }

    TempDir m_dir;
    std::string m_home = m_dir.file("home");
    std::filesystem::path m_library = m_dir.path() / "library";
    std::string m_content = std::string("\0\1\2 media \xff\n", 12) + std::string(70000, 'x');
    std::string m_output
        = WriteFile(m_dir.path() / "out/it's a \"live\" take.mp4", m_content).string();
};

} // namespace

TEST_F(FerruleProgram, addsAFileWithSpacesAndQuotesByteForByteAndNumbersRepeats)
{
    // As the converter's runner passes it, as one plain argument, and as words typed by hand.
    const CommandResult quoted = Run({"\"" + m_output + "\" "});
    const CommandResult plain = Run({m_output});
    const CommandResult words = Run({m_dir.file("out/it's"), "a", "\"live\"", "take.mp4"},
                                    {"QUILLET_MEDIA_LIBRARY=" + m_library.string()});
    for (const CommandResult *result : {&quoted, &plain, &words}) {
        EXPECT_EQ(result->exit_code, 0) << result->err;
        EXPECT_EQ(result->err, "");
    }
    EXPECT_EQ(ReadFile(m_library / "it's a \"live\" take.mp4"), m_content);
    EXPECT_EQ(ReadFile(m_library / "it's a \"live\" take (1).mp4"), m_content);
    EXPECT_EQ(ReadFile(m_library / "it's a \"live\" take (2).mp4"), m_content);
    EXPECT_THAT(Names(m_library),
                UnorderedElementsAre(".ferrule.lock", "it's a \"live\" take.mp4",
                                     "it's a \"live\" take (1).mp4",
                                     "it's a \"live\" take (2).mp4"));
}

// The converter waits for ferrule and reads its status: a file that did not reach the library
// is a failure it reports.
TEST_F(FerruleProgram, filesNotAddedSayWhatHappenedAndFail)
{
    const CommandResult no_library
        = Run({m_output}, {"QUILLET_MEDIA_LIBRARY=" + m_dir.file("no such folder")});
    EXPECT_EQ(no_library.exit_code, 4);
    EXPECT_EQ(no_library.err, "Cannot Find iTunes\n");

    const CommandResult missing = Run({m_dir.file("out/missing.mp4")});
    EXPECT_EQ(missing.exit_code, 5);
    EXPECT_EQ(missing.err, "Cannot open file " + m_dir.file("out/missing.mp4") + "\n");

    const CommandResult nothing = Run({});
    EXPECT_EQ(nothing.exit_code, 0);
    EXPECT_EQ(nothing.err, "");
    EXPECT_TRUE(Names(m_library).empty());
}

TEST_F(FerruleProgram, busyLibraryAddsNothingAndFails)
{
    const int lock
        = open((m_library / ".ferrule.lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const CommandResult busy = Run({m_output});
    close(lock);

    EXPECT_EQ(busy.exit_code, 2);
    EXPECT_EQ(busy.err, "The media library is busy; " + m_output + " was not added.\n");
    EXPECT_THAT(Names(m_library), UnorderedElementsAre(".ferrule.lock"));
}

TEST_F(FerruleProgram, failedCopyIsReportedWithFailingStatus)
{
    // A folder passes the open-for-reading check but cannot be copied.
    const CommandResult result = Run({m_dir.file("out")});
    EXPECT_EQ(result.exit_code, 3);
    EXPECT_THAT(result.err, testing::StartsWith("Cannot add " + m_dir.file("out")));
    EXPECT_THAT(Names(m_library), testing::Each(testing::Not(testing::EndsWith(".part"))));
    EXPECT_THAT(Names(m_library), testing::Not(testing::Contains("out")));
}

TEST_F(FerruleProgram, choosesTheUsersMusicOrVideosFolderByFileKind)
{
    const std::filesystem::path films = m_dir.path() / "films";
    std::filesystem::create_directories(films);
    std::filesystem::create_directories(m_home + "/Tunes");
    WriteFile(m_home + "/.config/user-dirs.dirs",
              "XDG_MUSIC_DIR=\"$HOME/Tunes\"\nXDG_VIDEOS_DIR=\"" + films.string() + "\"\n");
    const std::string song = WriteFile(m_dir.path() / "out/song.MP3", "tune").string();
    const std::vector<std::string> environment = {"QUILLET_MEDIA_LIBRARY=", "XDG_CONFIG_HOME="};

    EXPECT_EQ(Run({song}, environment).exit_code, 0);
    EXPECT_EQ(Run({m_output}, environment).exit_code, 0);
    EXPECT_EQ(ReadFile(m_home + "/Tunes/song.MP3"), "tune");
    EXPECT_EQ(ReadFile(films / "it's a \"live\" take.mp4"), m_content);

    // Without the user-dirs file: ~/Videos, which this home lacks.
    std::filesystem::remove(m_home + "/.config/user-dirs.dirs");
    const CommandResult no_videos = Run({m_output}, environment);
    EXPECT_EQ(no_videos.err, "Cannot Find iTunes\n");
}

TEST_F(FerruleProgram, unreachableDisplayFallsBackToStandardError)
{
    // Qt ends a process whose display cannot be opened; ferrule must still report and exit.
    CommandResult result = RunCommand({(ProgramDir() / "ferrule").string(), m_dir.file("missing")},
                                      {"DISPLAY=:4711", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=",
                                       "XAUTHORITY=" + m_dir.file("no-xauthority")});
    EXPECT_EQ(result.exit_code, 5);
    EXPECT_EQ(result.err, "Cannot open file " + m_dir.file("missing") + "\n");
}

// A display that takes the connection and never answers (a stalled X server, a dead forwarding)
// must not hold ferrule, and with it the converter, which waits for ferrule without a limit:
// the probe is given up, and the message goes to standard error.
TEST_F(FerruleProgram, aDisplayThatNeverAnswersIsGivenUp)
{
    // The X server's socket in the abstract namespace, where the X library looks first; held
    // here, listening, never read.
    const quillet::platform::UniqueFd server(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    ASSERT_TRUE(server);
    int display = 4800;
    for (; display < 4900; ++display) {
        const std::string name = "/tmp/.X11-unix/X" + std::to_string(display);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path + 1, name.data(), name.size());
        const auto length
            = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
        if (::bind(server.Get(), reinterpret_cast<const sockaddr *>(&address), length) == 0)
            break;
    }
    ASSERT_EQ(::listen(server.Get(), 16), 0);
    const CommandResult result = RunCommand(
        {(ProgramDir() / "ferrule").string(), m_dir.file("missing")},
        {"DISPLAY=:" + std::to_string(display),
         "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM=", "XAUTHORITY=" + m_dir.file("no-xauthority")});
    EXPECT_EQ(result.exit_code, 5);
    EXPECT_EQ(result.err, "Cannot open file " + m_dir.file("missing") + "\n");
}
