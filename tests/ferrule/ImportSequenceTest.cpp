// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportSequence.h"
#include "ITunesBusyException.h"
#include "ImporterApp.h"

#include "TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace quillet::ferrule;
using quillet::test::TempDir;
using quillet::test::WriteFile;
using testing::ElementsAre;

namespace {

/// What the fake library does, and the log of every call and release made on it.
struct FakeLibrary
{
    bool has_application = true;
    PlaylistStatus playlist_status = PlaylistStatus::Granted;
    AddResult add_result{true, "/library/clip.mp4", {}};
    std::vector<std::string> log;
};

class FakePlaylist : public LibraryPlaylist
{
public:
    explicit FakePlaylist(FakeLibrary &library)
        : m_library(library)
    { }
    ~FakePlaylist() override { m_library.log.push_back("release playlist"); }
    AddResult AddFile(const std::string &path) override
    {
        m_library.log.push_back("add " + path);
        return m_library.add_result;
    }

private:
    FakeLibrary &m_library;
};

class FakeApplication : public MediaApplication
{
public:
    explicit FakeApplication(FakeLibrary &library)
        : m_library(library)
    { }
    ~FakeApplication() override { m_library.log.push_back("release application"); }
    PlaylistGrant GetLibraryPlaylist() override
    {
        m_library.log.push_back("get playlist");
        if (m_library.playlist_status != PlaylistStatus::Granted)
            return {m_library.playlist_status, nullptr, "lock file unreadable"};
        return {PlaylistStatus::Granted, std::make_unique<FakePlaylist>(m_library), {}};
    }

private:
    FakeLibrary &m_library;
};

class FakeLayer : public AutomationLayer
{
public:
    explicit FakeLayer(FakeLibrary &library)
        : m_library(library)
    { }
    void Initialize() override { m_library.log.push_back("initialize"); }
    void Uninitialize() override { m_library.log.push_back("uninitialize"); }
    std::unique_ptr<MediaApplication> CreateApplication() override
    {
        m_library.log.push_back("create application");
        if (!m_library.has_application)
            return nullptr;
        return std::make_unique<FakeApplication>(m_library);
    }

private:
    FakeLibrary &m_library;
};

class RecordingMessages : public Messages
{
public:
    std::vector<std::string> shown;
    void Warn(const std::string &text) override { shown.push_back(text); }
};

/// ImporterApp over the fake library, with a readable file to import.
struct ImporterRun
{
    TempDir dir;
    std::string file = WriteFile(dir.path() / "clip one.mp4", "data").string();
    FakeLibrary library;
    RecordingMessages messages;
    std::vector<std::string> layer_paths;

    ExitStatus Start(const std::string &tail)
    {
        ImporterApp app(
            [this](const std::string &path) -> std::unique_ptr<AutomationLayer> {
                layer_paths.push_back(path);
                return std::make_unique<FakeLayer>(library);
            },
            messages);
        return app.Start(tail);
    }
};

} // namespace

TEST(ImportFile, runsTheOperationsInOrderAndReleasesPlaylistBeforeApplication)
{
    FakeLibrary library;
    FakeLayer layer(library);
    const ImportResult result = ImportFile(layer, "/out/clip.mp4");
    EXPECT_EQ(result.outcome, ImportOutcome::Added);
    EXPECT_EQ(result.destination, "/library/clip.mp4");
    EXPECT_THAT(library.log,
                ElementsAre("initialize", "create application", "get playlist", "add /out/clip.mp4",
                            "release playlist", "release application", "uninitialize"));
}

TEST(ImportFile, addsNothingWithoutAnApplicationObject)
{
    FakeLibrary library;
    FakeLayer layer(library);
    library.has_application = false;
    EXPECT_EQ(ImportFile(layer, "/out/clip.mp4").outcome, ImportOutcome::NoLibrary);
    EXPECT_THAT(library.log, ElementsAre("initialize", "create application", "uninitialize"));
}

TEST(ImportFile, busyLibraryThrowsOnlyAfterEverythingIsReleased)
{
    FakeLibrary library;
    FakeLayer layer(library);
    library.playlist_status = PlaylistStatus::Busy;
    EXPECT_THROW(ImportFile(layer, "/out/clip.mp4"), ITunesBusyException);
    EXPECT_THAT(library.log,
                ElementsAre("initialize", "create application", "get playlist",
                            "release application", "uninitialize"));
}

TEST(ImportFile, reportsWhyTheLibraryCouldNotTakeTheFile)
{
    FakeLibrary library;
    FakeLayer layer(library);
    library.add_result = {false, {}, "No space left on device"};
    ImportResult result = ImportFile(layer, "/out/clip.mp4");
    EXPECT_EQ(result.outcome, ImportOutcome::NotAdded);
    EXPECT_EQ(result.error, "No space left on device");

    library.playlist_status = PlaylistStatus::Failed;
    result = ImportFile(layer, "/out/clip.mp4");
    EXPECT_EQ(result.outcome, ImportOutcome::NotAdded);
    EXPECT_EQ(result.error, "lock file unreadable");
}

TEST(ImporterApp, importsTheBarePathOfAQuotedTail)
{
    ImporterRun run;
    EXPECT_EQ(run.Start("\"" + run.file + "\" "), ExitStatus::Done);
    EXPECT_THAT(run.layer_paths, ElementsAre(run.file));
    EXPECT_THAT(run.library.log, testing::Contains("add " + run.file));
    EXPECT_TRUE(run.messages.shown.empty());
}

// A file that cannot be opened is not in the library: the converter must hear of it.
TEST(ImporterApp, endsQuietlyOrFailsWithCannotOpenBeforeContactingTheLibrary)
{
    ImporterRun run;
    EXPECT_EQ(run.Start(""), ExitStatus::Done);
    EXPECT_EQ(run.Start("\"\"\" "), ExitStatus::CannotOpen);
    EXPECT_EQ(run.Start(run.dir.file("missing.mp4")), ExitStatus::CannotOpen);
    // A lone opening quote cuts the path short, so the shortened path is the one reported.
    EXPECT_EQ(run.Start("\"" + run.file), ExitStatus::CannotOpen);
    EXPECT_THAT(run.messages.shown,
                ElementsAre("Cannot open file ", "Cannot open file " + run.dir.file("missing.mp4"),
                            "Cannot open file " + run.file.substr(0, run.file.size() - 1)));
    EXPECT_TRUE(run.layer_paths.empty());
    EXPECT_TRUE(run.library.log.empty());
}

TEST(ImporterApp, reportsAMissingLibraryWithAFailingStatus)
{
    ImporterRun run;
    run.library.has_application = false;
    EXPECT_EQ(run.Start(run.file), ExitStatus::NoLibrary);
    EXPECT_NE(static_cast<int>(ExitStatus::NoLibrary), 0);
    EXPECT_THAT(run.messages.shown, ElementsAre("Cannot Find iTunes"));
}

TEST(ImporterApp, catchesBusyLibraryWithEverythingReleasedAndFailingStatus)
{
    ImporterRun run;
    run.library.playlist_status = PlaylistStatus::Busy;
    EXPECT_EQ(run.Start(run.file), ExitStatus::LibraryBusy);
    EXPECT_NE(static_cast<int>(ExitStatus::LibraryBusy), 0);
    EXPECT_THAT(run.messages.shown,
                ElementsAre("The media library is busy; " + run.file + " was not added."));
    EXPECT_THAT(run.library.log, testing::Not(testing::Contains("add " + run.file)));
    EXPECT_EQ(run.library.log.back(), "uninitialize");
    EXPECT_THAT(run.library.log, testing::Contains("release application"));
}

TEST(ImporterApp, failedAddIsReportedWithFailingStatus)
{
    ImporterRun run;
    run.library.add_result = {false, {}, "No space left on device"};
    EXPECT_EQ(run.Start(run.file), ExitStatus::NotAdded);
    EXPECT_THAT(
        run.messages.shown,
        ElementsAre("Cannot add " + run.file + " to the media library: No space left on device"));
}
