// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's stages and the queues between them, below the C entry points: a stage that fails
// ends the whole run with its own message, whichever stage it is, and no other stage is left
// waiting on a queue.

#include "EngineError.h"
#include "LogCapture.h"
#include "OptionParser.h"
#include "ProgressReporter.h"
#include "Scheduler.h"
#include "ThreadQueue.h"
#include "Transcoder.h"

#include "MediaFixtures.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

using namespace quillet::test;

namespace {

TEST(StageQueue, eachEndCanReleaseTheOtherForGood)
{
    dolmar::ProgressReporter progress(nullptr);
    dolmar::Scheduler scheduler(progress);
    const dolmar::QueueLimits one{1, 1024};

    // A sender waiting on a full queue is let go when the receiver wants nothing more.
    dolmar::ThreadQueue<int> full(scheduler, dolmar::QueueScope::Upstream, one);
    ASSERT_TRUE(full.Send(1, 4));
    bool sent = true;
    std::thread sender([&] { sent = full.Send(2, 4); });
    full.FinishReceiving();
    sender.join();
    EXPECT_FALSE(sent);

    // A receiver waiting on an empty queue hears the end once the last sender has finished.
    dolmar::ThreadQueue<int> shared(scheduler, dolmar::QueueScope::Upstream, one, 2);
    std::optional<int> received{7};
    std::thread receiver([&] { received = shared.Receive(); });
    shared.FinishSending();
    shared.FinishSending();
    receiver.join();
    EXPECT_FALSE(received);

    // One item larger than the byte limit still passes, or it could never move.
    dolmar::ThreadQueue<int> small(scheduler, dolmar::QueueScope::Upstream, one);
    EXPECT_TRUE(small.Send(3, 1 << 20));
    EXPECT_EQ(small.Receive(), 3);

    // A failure aborts every queue: both ends return at once, whatever they wait for.
    dolmar::ThreadQueue<int> output(scheduler, dolmar::QueueScope::Output, one);
    std::thread waiter([&] { received = output.Receive(); });
    scheduler.Fail(std::make_exception_ptr(std::runtime_error("gone")));
    waiter.join();
    EXPECT_FALSE(received);
    EXPECT_FALSE(output.Send(4, 4));
}

class StageFailure : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        dolmar::LogCapture::Install();
        s_dir = std::make_unique<TempDir>();
        ClipRecipe recipe; // picture and sound, so that every kind of stage has work
        recipe.seconds = 1.0;
        s_clip = MakeClip(s_dir->path() / "clip.mp4", recipe).string();
    }
    static void TearDownTestSuite() { s_dir.reset(); }

    static std::unique_ptr<TempDir> s_dir;
    static std::string s_clip;
    TempDir m_dir;
};

std::unique_ptr<TempDir> StageFailure::s_dir;
std::string StageFailure::s_clip;

const char *Name(dolmar::StageKind kind)
{
    switch (kind) {
    case dolmar::StageKind::Demuxer:
        return "demuxer";
    case dolmar::StageKind::Decoder:
        return "decoder";
    case dolmar::StageKind::FilterGraph:
        return "filter graph";
    case dolmar::StageKind::Session:
        return "session";
    case dolmar::StageKind::Encoder:
        return "encoder";
    case dolmar::StageKind::Muxer:
        return "muxer";
    }
    return "?";
}

TEST_F(StageFailure, endsTheRunWithThatStagesMessageAndNoFile)
{
    using dolmar::StageKind;
    for (const StageKind failing : {StageKind::Demuxer, StageKind::Decoder, StageKind::FilterGraph,
                                    StageKind::Session, StageKind::Encoder, StageKind::Muxer}) {
        const std::string message = std::string("The ") + Name(failing) + " gave up.";
        const std::string out = m_dir.file(std::string(Name(failing)) + ".mp4");
        const dolmar::ConversionPlan plan
            = dolmar::OptionParser::Parse({"ffmain", "-i", s_clip, out});
        dolmar::ProgressReporter progress(nullptr);
        // The third item, so that the stages around it are busy when it fails.
        dolmar::Transcoder transcoder(plan, progress, [&](StageKind kind, int64_t item) {
            if (kind == failing && item == 3)
                dolmar::ThrowFailed(message);
        });
        std::string reported;
        try {
            transcoder.Run();
        } catch (const dolmar::EngineError &error) {
            reported = error.what();
        }
        EXPECT_EQ(reported, message) << Name(failing);
        EXPECT_FALSE(std::filesystem::exists(out)) << Name(failing);
    }
}

// The callback is a plain function: what it sees is kept here.
std::mutex g_mutex;
std::condition_variable g_called;
int g_reports = 0;
int g_reports_elsewhere = 0;
std::thread::id g_caller;

int CountingCallback(const char * /*message*/, double position)
{
    std::lock_guard lock(g_mutex);
    if (std::this_thread::get_id() != g_caller)
        ++g_reports_elsewhere;
    if (position >= 0)
        ++g_reports;
    g_called.notify_all();
    return 0;
}

class CallerThread : public StageFailure
{
};

TEST_F(CallerThread, hearsFromTheRunWhileAStageIsStuckInOneFrame)
{
    // The window's thread pumps its events from the callback: it must hear from the run however
    // long one unit of work takes. Here the encoder is held inside a frame until the caller has
    // heard five more reports (the wait's bound is only there to end a broken engine's test).
    const dolmar::ConversionPlan plan
        = dolmar::OptionParser::Parse({"ffmain", "-i", s_clip, m_dir.file("out.mp4")});
    g_caller = std::this_thread::get_id();
    dolmar::ProgressReporter progress(&CountingCallback);
    bool heard = false;
    dolmar::Transcoder transcoder(plan, progress, [&](dolmar::StageKind kind, int64_t item) {
        if (kind != dolmar::StageKind::Encoder || item != 2)
            return;
        std::unique_lock lock(g_mutex);
        const int wanted = g_reports + 5;
        heard
            = g_called.wait_for(lock, std::chrono::minutes(1), [&] { return g_reports >= wanted; });
    });
    EXPECT_EQ(transcoder.Run(), dolmar::RunOutcome::Finished);
    EXPECT_TRUE(heard);
    EXPECT_EQ(g_reports_elsewhere, 0);
}

} // namespace
