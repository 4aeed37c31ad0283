// SPDX-License-Identifier: GPL-3.0-or-later
// The window on a Wayland desktop: the test starts a headless compositor and runs itself again
// on Qt's wayland platform, where the window converts a clip and opens its dialogs.
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "MediaFixtures.h"
#include "MessageBoxPrompter.h"
#include "SheetTestSupport.h"
#include "TempDir.h"
#include "WindowHarness.h"
#include "profiles/sheet/CExPropertySheet.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

constexpr const char *kInsideVariable = "QUILLET_WAYLAND_INSIDE";

/// What the run on the compositor checks.
void ConvertAndOpenDialogs()
{
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
    WindowHarness h;
    MainDialog &w = h.Start();
    AddCopies(h, {"wayland.mp4"}, GeneratedClip("clip.mp4"));

    DialogFileChooser dialogs(&w);
    w.SetFileChooser(&dialogs);
    UiScript files;
    files.Then<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    w.OnAddFiles();
    EXPECT_EQ(files.Pending(), 0u) << "no file dialog";

    UiScript box;
    box.Then<QMessageBox>([](QMessageBox *message) { message->accept(); });
    MessageBoxPrompter(&w).Tell("No items were selected!");
    EXPECT_EQ(box.Pending(), 0u) << "no message box";

    w.ProfilePicker()->OpenPopup();
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.ProfilePicker()->PopupVisible(); }));
    w.ProfilePicker()->Popup()->HideNow();

    w.SelectOnly(0);
    UiScript sheet;
    sheet.Then<CExPropertySheet>([](CExPropertySheet *window) { window->reject(); });
    w.OnOptions();
    EXPECT_EQ(sheet.Pending(), 0u) << "no option sheet";

    w.OnConvert();
    std::vector<fs::path> outputs;
    for (const auto &entry : fs::directory_iterator(h.app.OutputFolder()))
        outputs.push_back(entry.path());
    ASSERT_EQ(outputs.size(), 1u);
    const ProbedFile probed = Ffprobe(outputs.front());
    EXPECT_TRUE(probed.ok);
    EXPECT_EQ(probed.count("video"), 1);
}

} // namespace

TEST(Wayland, theWindowConvertsAndOpensItsDialogsOnAWaylandCompositor)
{
    if (qEnvironmentVariableIsSet(kInsideVariable)) {
        ConvertAndOpenDialogs();
        return;
    }
    const QString weston = QStandardPaths::findExecutable(QStringLiteral("weston"));
    if (weston.isEmpty())
        GTEST_SKIP() << "weston is not installed";

    // The compositor's socket lives in a runtime folder only this user may enter.
    TempDir runtime;
    fs::permissions(runtime.path(), fs::perms::owner_all, fs::perm_options::replace);
    const QString socket = QStringLiteral("quillet-test-%1").arg(getpid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime.path()));

    QProcess compositor;
    compositor.setProcessEnvironment(environment);
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    compositor.start(weston,
                     {QStringLiteral("--backend=headless-backend.so"),
                      QStringLiteral("--socket=") + socket, QStringLiteral("--idle-time=0")});
    ASSERT_TRUE(compositor.waitForStarted());
    const QString socket_path
        = QString::fromStdString((runtime.path() / socket.toStdString()).string());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(socket_path); }, 20000))
        << compositor.readAll().toStdString();

    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), socket);
    environment.insert(QString::fromLatin1(kInsideVariable), QStringLiteral("1"));
    QProcess inside;
    inside.setProcessEnvironment(environment);
    inside.setProcessChannelMode(QProcess::MergedChannels);
    inside.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=Wayland.*")});
    ASSERT_TRUE(inside.waitForStarted());
    const bool finished = inside.waitForFinished(240000);
    const std::string output = inside.readAll().toStdString();
    if (!finished)
        inside.kill();
    compositor.terminate();
    if (!compositor.waitForFinished(5000))
        compositor.kill();
    ASSERT_TRUE(finished) << output;
    EXPECT_EQ(inside.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}
