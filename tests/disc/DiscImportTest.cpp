// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/DiscImport.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace quillet;
using quillet::test::TempDir;
using quillet::test::WriteFile;

namespace {

struct Recorder : Prompter
{
    std::vector<std::string> told;
    void Tell(std::string_view text, std::string_view, Icon) override { told.emplace_back(text); }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

void Sized(const std::filesystem::path &path, std::uintmax_t size)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path).close();
    std::filesystem::resize_file(path, size);
}

struct Machine
{
    TempDir dir;
    platform::DriveSources sources;
    Machine()
    {
        sources.mount_table = dir.file("mounts");
        sources.device_folder = dir.file("block");
        std::filesystem::create_directories(sources.device_folder);
    }
    void Mounts(const std::string &table) { WriteFile(sources.mount_table, table); }
};

} // namespace

TEST(DiscImport, addsTheStreamsOfTheDiscInTheSecondDrive)
{
    Machine m;
    const std::string empty_drive = m.dir.file("media/cdrom0");
    const std::string disc = m.dir.file("media/my disc");
    std::filesystem::create_directories(empty_drive);
    Sized(disc + "/BDMV/STREAM/00000.MTS", 2000000);
    Sized(disc + "/BDMV/STREAM/00001.m2ts", 1000001);
    Sized(disc + "/BDMV/STREAM/00002.m2ts", 1000000); // not larger than the limit
    Sized(disc + "/BDMV/STREAM/index.bdmv", 5000000);
    Sized(disc + "/BDMV/STREAM/ts", 5000000);
    m.Mounts("/dev/sda1 / ext4 rw 0 0\n"
             "/dev/sr0 "
             + empty_drive
             + " iso9660 ro 0 0\n"
               "/dev/sr1 "
             + m.dir.file("media/my\\040disc") + " udf ro 0 0\n");

    Recorder recorder;
    std::vector<std::string> added;
    auto result = DiscImport::Run(
        m.sources,
        [&](const std::string &path) {
            added.push_back(path);
            return static_cast<int>(added.size()) + 4;
        },
        recorder);
    EXPECT_EQ(result.outcome, DiscImport::Outcome::Found);
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added,
              (std::vector<std::string>{disc + "/BDMV/STREAM/00000.MTS",
                                        disc + "/BDMV/STREAM/00001.m2ts"}));
    EXPECT_EQ(result.last_row, 6);
    EXPECT_TRUE(recorder.told.empty());
}

TEST(DiscImport, saysWhenThereIsNoDriveOrNoDisc)
{
    Machine none;
    none.Mounts("/dev/sda1 / ext4 rw 0 0\n");
    Recorder recorder;
    auto add = [](const std::string &) { return 0; };
    EXPECT_EQ(DiscImport::Run(none.sources, add, recorder).outcome, DiscImport::Outcome::NoDrive);
    EXPECT_EQ(recorder.told, (std::vector<std::string>{"No DVDROM can be found"}));

    // A drive without a disc is not mounted; its device is still there.
    Machine idle;
    idle.Mounts("");
    std::filesystem::create_directories(idle.sources.device_folder + "/sr0");
    recorder.told.clear();
    EXPECT_EQ(DiscImport::Run(idle.sources, add, recorder).outcome, DiscImport::Outcome::NoDisc);
    EXPECT_EQ(recorder.told,
              (std::vector<std::string>{"Please insert AVCHD/Blu-ray disc into your DVDROM"}));

    // A disc whose streams are all small counts as no disc.
    Machine small;
    const std::string disc = small.dir.file("disc");
    Sized(disc + "/bdmv/stream/00000.mts", 999999);
    small.Mounts("/dev/sr0 " + disc + " udf ro 0 0\n");
    recorder.told.clear();
    EXPECT_EQ(DiscImport::Run(small.sources, add, recorder).outcome, DiscImport::Outcome::NoDisc);
    EXPECT_EQ(recorder.told.size(), 1u);
}
