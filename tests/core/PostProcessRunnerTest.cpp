// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/PostProcessRunner.h"

#include "TempDir.h"

#include <gtest/gtest.h>

using namespace quillet;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;
using Tokens = std::vector<std::string>;

TEST(PostProcessRunner, buildsTheCommandLineFromQuotedTokens)
{
    CommandTokens built = BuildPostProcess("\"./ferrule\" \"%out\"", "/out/a b.mp4", "/App");
    ASSERT_TRUE(built.error.empty());
    EXPECT_EQ(built.tokens, (Tokens{"/App/ferrule", "/out/a b.mp4"}));
    EXPECT_EQ(CommandLineText(built.tokens), "/App/ferrule /out/a b.mp4 ");

    // Without any quote-space pair the whole text is one token, first and last character dropped.
    EXPECT_EQ(TokenizeCommand("xtool %outx").tokens, (Tokens{"tool %out"}));
    EXPECT_EQ(TokenizeCommand("\"a\"   \"b\" \"c\"").tokens, (Tokens{"a", "b", "c"}));
    EXPECT_EQ(TokenizeCommand("\"").tokens, (Tokens{""}));

    // Only the first occurrence is replaced, and "./" wins over "%out".
    EXPECT_EQ(BuildPostProcess("\"tag\" \"%out|%out\"", "/o.mp4", "/App").tokens,
              (Tokens{"tag", "/o.mp4|%out"}));
    EXPECT_EQ(BuildPostProcess("\"./run %out\"", "/o.mp4", "/App").tokens,
              (Tokens{"/App/run %out"}));
}

// An output path of any length reaches the program; only a command of more than 127 parts, or a
// part holding a NUL, is refused.
TEST(PostProcessRunner, passesLongPathsAndRefusesOnlyWhatCannotBeAnArgument)
{
    const std::string deep = "/" + std::string(300, 'd') + "/" + std::string(250, 'x') + ".mp4";
    CommandTokens built = BuildPostProcess("\"prog\" \"%out\"", deep, "/App");
    ASSERT_TRUE(built.error.empty()) << built.error;
    EXPECT_EQ(built.tokens, (Tokens{"prog", deep}));

    std::string many;
    for (int i = 0; i < 130; ++i)
        many += "\"a\" ";
    many += "\"z\"";
    EXPECT_FALSE(TokenizeCommand(many).error.empty());
    const std::string with_nul("\"prog\" \"a\0b\"", 12);
    EXPECT_FALSE(BuildPostProcess(with_nul, "/o", "/App").error.empty());
    EXPECT_FALSE(RunPostProcess("/o", with_nul, "/App").ran);
}

// The output path reaches the program as one argument, never read by a shell.
TEST(PostProcessRunner, passesAHostileFileNameIntact)
{
    TempDir dir;
    auto source = WriteFile(dir.path() / "source.bin", "payload");
    const std::string output = dir.file("a b \"quoted\" ; $(touch pwned) `id` 'x'.mp4");
    PostProcessResult result
        = RunPostProcess(output, "\"cp\" \"" + source.string() + "\" \"%out\"", "/unused");
    ASSERT_TRUE(result.ran) << result.error;
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(ReadFile(output), "payload");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "pwned"));
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST(PostProcessRunner, reportsAProgramThatCannotStartAndWaitsForOneThatRuns)
{
    PostProcessResult missing
        = RunPostProcess("/o.mp4", "\"./no-such-program\" \"%out\"", "/nowhere");
    EXPECT_FALSE(missing.ran);
    EXPECT_FALSE(missing.error.empty());

    PostProcessResult failing = RunPostProcess("/o.mp4", "\"false\" \"%out\"", "/App");
    EXPECT_TRUE(failing.ran);
    EXPECT_EQ(failing.exit_status, 1);
}

// An import may take long: the command is waited for without a limit, its caller asked all the
// while whether to stop; told to, the command is ended.
TEST(PostProcessRunner, waitsWithoutALimitUntilTheCommandEndsOrIsStopped)
{
    int asked = 0;
    PostProcessResult slow = RunPostProcess("/o.mp4", "\"sh\" \"-c\" \"sleep 0.5; exit 3\"", "/App",
                                            [&] { return ++asked < 0; });
    EXPECT_TRUE(slow.ran);
    EXPECT_FALSE(slow.stopped);
    EXPECT_EQ(slow.exit_status, 3);
    EXPECT_GT(asked, 1);

    PostProcessResult stopped
        = RunPostProcess("/o.mp4", "\"sleep\" \"60\"", "/App", [] { return true; });
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.exit_status, 128 + 15);
}
