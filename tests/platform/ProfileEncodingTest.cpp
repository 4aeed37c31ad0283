// SPDX-License-Identifier: GPL-3.0-or-later
// Profile, language and settings files as other editors and systems leave them, and files that
// are no text files at all.
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "platform/PrivateProfile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

using namespace quillet::platform;
using quillet::test::ReadFile;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

/// text (ASCII) as UTF-16 with its byte-order mark.
std::string Utf16(std::string_view text, bool big_endian)
{
    std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text) {
        bytes += big_endian ? '\0' : c;
        bytes += big_endian ? c : '\0';
    }
    return bytes;
}

} // namespace

TEST(ProfileEncoding, readsMarkedUtf8AndUtf16FilesAndEveryLineEnding)
{
    TempDir dir;
    const std::string text = "[iPod]\nWidth=320\n[iPad]\nWidth=1024\n";
    struct Case
    {
        const char *name;
        std::string bytes;
    };
    std::string cr = text;
    std::replace(cr.begin(), cr.end(), '\n', '\r');
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const Case cases[] = {
        {"utf8-mark.ini", "\xEF\xBB\xBF" + text},
        {"utf16le.ini", Utf16(text, false)},
        {"utf16be.ini", Utf16(crlf, true)},
        {"cr.ini", cr},
        {"crlf.ini", crlf},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto file = WriteFile(dir.path() / c.name, c.bytes);
        EXPECT_EQ(ReadProfileString("iPod", "Width", "", 100, file), "320");
        EXPECT_EQ(ReadProfileString("iPad", "Width", "", 100, file), "1024");
        EXPECT_EQ(ReadWholeSectionNames(5120, file), (std::vector<std::string>{"iPod", "iPad"}));
    }

    // Non-ASCII text in UTF-16 (a surrogate pair included) reads as UTF-8.
    const char umlaut[] = "\xFF\xFE[\0\xC4\0]\0\n\0k\0=\0\x3D\xD8\x00\xDE\n\0";
    const auto file = WriteFile(dir.path() / "u.ini", std::string(umlaut, sizeof umlaut - 1));
    EXPECT_EQ(ReadProfileString("\xC3\x84", "k", "", 100, file), "\xF0\x9F\x98\x80");
}

TEST(ProfileEncoding, writingKeepsTheFilesEncodingAndLineEndings)
{
    TempDir dir;
    const std::string cr = "; kept\r[S]\rA=1\r";
    const std::string utf16 = Utf16("[S]\r\nA=1\r\n", false);
    const std::string marked = "\xEF\xBB\xBF[S]\nA=1\n";
    const auto cr_file = WriteFile(dir.path() / "cr.ini", cr);
    const auto utf16_file = WriteFile(dir.path() / "utf16.ini", utf16);
    const auto marked_file = WriteFile(dir.path() / "marked.ini", marked);
    for (const auto &file : {cr_file, utf16_file, marked_file})
        ASSERT_TRUE(WriteProfileString("S", "B", "2", file));

    EXPECT_EQ(ReadFile(cr_file), "; kept\r[S]\rA=1\rB=2\r");
    EXPECT_EQ(ReadFile(utf16_file), Utf16("[S]\r\nA=1\r\nB=2\r\n", false));
    EXPECT_EQ(ReadFile(marked_file), "\xEF\xBB\xBF[S]\nA=1\nB=2\n");
}

TEST(ProfileEncoding, sectionListsNeverOfferACutNameNorStopAtAnEmptyHeader)
{
    TempDir dir;
    const auto file
        = WriteFile(dir.path() / "p.ini", "[first]\n[]\nk=v\n[second]\n[a rather long third]\n");
    EXPECT_EQ(ReadWholeSectionNames(5120, file),
              (std::vector<std::string>{"first", "second", "a rather long third"}));
    // 20 bytes hold "first", "second" and the start of the third name.
    EXPECT_EQ(ReadWholeSectionNames(20, file), (std::vector<std::string>{"first", "second"}));
    char buffer[20];
    bool cut = false;
    ReadProfileSectionNames(buffer, sizeof buffer, file, &cut);
    EXPECT_TRUE(cut);
    EXPECT_EQ(SplitNameList(buffer, sizeof buffer).back(), "a rat");
}

// Neither a FIFO nor a device is read: the first would wait for a writer for ever, the second
// never ends. Nor is a file past the size limit.
TEST(ProfileEncoding, refusesFilesThatAreNoRegularFilesOrTooLarge)
{
    TempDir dir;
    const std::string fifo = dir.file("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto start = std::chrono::steady_clock::now();
    std::string contents;
    std::string error;
    EXPECT_EQ(ReadTextFile(fifo, contents, &error), ReadStatus::NotRegular);
    EXPECT_EQ(error, fifo + ": not a regular file");
    EXPECT_EQ(ReadTextFile("/dev/zero", contents), ReadStatus::NotRegular);
    EXPECT_EQ(ReadTextFile(dir.path(), contents), ReadStatus::NotRegular);
    EXPECT_EQ(ReadProfileString("S", "k", "default", 100, fifo), "default");
    EXPECT_EQ(ReadProfileString("S", "k", "default", 100, "/dev/zero"), "default");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

    const auto big = WriteFile(dir.path() / "big.ini", "[S]\nk=" + std::string(2000, 'v') + "\n");
    EXPECT_EQ(ReadTextFile(big, contents, &error, 1000), ReadStatus::TooLarge);
    EXPECT_EQ(error, big.string() + ": larger than 1000 bytes");
    EXPECT_TRUE(contents.empty());
    EXPECT_EQ(ReadTextFile(dir.path() / "none.ini", contents), ReadStatus::Missing);

    // A refused file is never replaced by a write of one key.
    EXPECT_FALSE(WriteProfileString("S", "k", "v", fifo));
    struct stat st;
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    IniDocument doc;
    EXPECT_FALSE(doc.Load(fifo, &error));
    EXPECT_TRUE(doc.SectionNames().empty());
}
