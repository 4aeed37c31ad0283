// SPDX-License-Identifier: GPL-3.0-or-later
// libveneer as the program loads it: the skin paints registered windows and colours their
// labels and frames, also those added later; without the library nothing happens.
#include "veneer.h"
#include "VeneerBinding.h"

#include "TempDir.h"

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillet;

namespace {

VeneerBinding &LoadedVeneer()
{
    static VeneerBinding binding;
    static const bool kLoaded = [] {
        const bool ok = binding.Load(test::ProgramDir().string());
        binding.InitSkin(1, 1, "tesk_skin");
        return ok;
    }();
    EXPECT_TRUE(kLoaded) << binding.Error();
    return binding;
}

} // namespace

TEST(Veneer, theLibraryExportsOnlyItsTwoEntryPoints)
{
    EXPECT_TRUE(LoadedVeneer().Loaded());
    EXPECT_EQ(LoadedVeneer().InitSkin(1, 1, "no such skin"), VENEER_UNKNOWN_SKIN);
    EXPECT_EQ(LoadedVeneer().AddFilterHook(nullptr), VENEER_NOT_READY);
    EXPECT_EQ(LoadedVeneer().InitSkin(1, 1, "tesk_skin"), VENEER_OK);
    EXPECT_EQ(LoadedVeneer().AddFilterHook(nullptr), VENEER_BAD_WINDOW);
}

TEST(Veneer, aRegisteredWindowGetsTheSkinAndSoDoControlsAddedLater)
{
    LoadedVeneer();
    QDialog dialog;
    dialog.resize(300, 200);
    auto *early = new QLabel(QStringLiteral("early"), &dialog);
    auto *frame = new QFrame(&dialog);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(10, 100, 200, 50);
    ASSERT_EQ(LoadedVeneer().AddFilterHook(&dialog), VENEER_OK);
    EXPECT_EQ(LoadedVeneer().AddFilterHook(&dialog), VENEER_OK); // once is enough
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    auto *late = new QLabel(QStringLiteral("late"), &dialog);
    late->show();

    const QColor label_blue(93, 121, 161);
    EXPECT_EQ(early->palette().color(QPalette::WindowText), label_blue);
    EXPECT_EQ(late->palette().color(QPalette::WindowText), label_blue);
    EXPECT_FALSE(late->autoFillBackground());
    EXPECT_EQ(frame->palette().color(QPalette::WindowText), QColor(150, 178, 214));
    // The background: a light band at the top fading into the dialog blue.
    const QImage picture = dialog.grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(290, 190)), QColor(217, 234, 255));
    EXPECT_GT(QColor(picture.pixel(290, 1)).red(), 240);
}

TEST(Veneer, withoutTheLibraryEveryCallDoesNothing)
{
    test::TempDir empty;
    VeneerBinding missing;
    EXPECT_FALSE(missing.Load(empty.path().string(), "no-such-veneer"));
    EXPECT_FALSE(missing.Error().empty());
    EXPECT_EQ(missing.InitSkin(1, 1, "tesk_skin"), -1);
    QDialog dialog;
    EXPECT_EQ(missing.AddFilterHook(&dialog), -1);
}
