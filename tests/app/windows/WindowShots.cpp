// SPDX-License-Identifier: GPL-3.0-or-later
// quillet_window_shots FOLDER: photographs the program's windows in English and German into
// FOLDER, as a user sees them: the empty window, three tasks, a conversion under way, the
// profile drop-down on "All Profiles", the settings menu with its Language submenu, the file
// information dialog, and the windows the task commands open: the option sheet's four pages, the
// naming dialog, the Subtitles dialog with three extracted tracks, the Audio track dialog and
// the Waitting window; and a batch planned onto a Custom size, then refused by one too small. Menus
// and drop-downs are separate windows, so the screen is photographed (run it under Xvfb with the
// xcb platform).
#include "CCustomSizeDlg.h"
#include "CFileInfoDlg.h"
#include "CGradientProgress.h"
#include "CIconListBox.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CProfileComboDlg.h"
#include "CSkinButton.h"
#include "FileChooser.h"
#include "MediaFixtures.h"
#include "SheetTestSupport.h"
#include "TaskListView.h"
#include "WindowHarness.h"
#include "core/ExtensionList.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/CWaittingDlg.h"
#include "profiles/sheet/CExPropertySheet.h"
#include "profiles/sheet/CNewProfileDlg.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <cstdio>
#include <string_view>
#include <utility>

using namespace quillet;
using namespace quillet::test;
namespace fs = std::filesystem;

namespace {

QString g_folder;

void SaveScreen(const QString &name, const QRect &area)
{
    QTest::qWait(150);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(),
                                                                      area.width(), area.height());
    const QString path = g_folder + QLatin1Char('/') + name + QStringLiteral(".png");
    shot.save(path);
    std::printf("%s\n", path.toLocal8Bit().constData());
}

QRect WindowArea(const QWidget &w, int margin = 0)
{
    return w.frameGeometry().adjusted(-margin, -margin, margin, margin);
}

/// The windows the task commands open, over the window w with its tasks.
void ShootTaskWindows(WindowHarness &h, MainDialog &w, const QString &suffix)
{
    w.SelectOnly(2);
    UiScript sheet;
    sheet
        .Then<CExPropertySheet>([&](CExPropertySheet *window) {
            const char *pages[] = {"audio", "video", "resize", "croppad"};
            for (int page = 0; page < CExPropertySheet::kPageCount; ++page) {
                window->SetActivePage(page);
                SaveScreen(QStringLiteral("sheet-%1-").arg(QLatin1String(pages[page])) + suffix,
                           WindowArea(*window));
            }
            window->ChooseSaveCommand(CExPropertySheet::kSaveAsAndApply);
        })
        .Then<CNewProfileDlg>([&](CNewProfileDlg *window) {
            SaveScreen(QStringLiteral("newprofile-") + suffix, WindowArea(*window));
            window->reject();
        });
    w.OnOptions();

    // Three tracks extracted from the task's source, the first one chosen.
    Task &task = *h.tasks.Get(2);
    task.subtitle_candidates.clear();
    for (int track = 0; track < 3; ++track) {
        const fs::path file = h.MediaFolder() / ("Concert_" + std::to_string(track) + ".srt");
        WriteFile(file, "1\n00:00:00,500 --> 00:00:02,000\nWords\n");
        task.subtitle_candidates.push_back(file.string());
    }
    task.subtitle_path = task.subtitle_candidates.front();
    UiScript subtitles;
    subtitles.Then<CSubtitleDlg>([&](CSubtitleDlg *window) {
        SaveScreen(QStringLiteral("subtitles-") + suffix, WindowArea(*window));
        window->List()->setCurrentRow(1);
        SaveScreen(QStringLiteral("subtitles-second-") + suffix, WindowArea(*window));
        window->reject();
    });
    w.OnSubtitle();

    UiScript audio;
    audio.Then<CAudioTrackDlg>([&](CAudioTrackDlg *window) {
        SaveScreen(QStringLiteral("audio-") + suffix, WindowArea(*window));
        window->reject();
    });
    w.OnAudioTrack();

    CWaittingDlg *waitting = CWaittingDlg::Show(&w);
    waitting->Update(48, "Extracting subtitles from Concert.mkv");
    SaveScreen(QStringLiteral("waitting-") + suffix, WindowArea(w));
    waitting->Close();
}

void Shoot(const std::string &language, const QString &suffix)
{
    HarnessOptions options;
    options.language = language;
    WindowHarness h(options);
    MainDialog &w = h.Create();
    w.move(40, 40);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::fprintf(stderr, "the main window was never shown\n");
    h.DismissStartMenu();
    SaveScreen(QStringLiteral("idle-empty-") + suffix, WindowArea(w));

    std::vector<std::string> sources;
    for (const char *name : {"Holiday at the sea.mp4", "Birthday party.avi", "Concert.mkv"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip(name, 6.0, 640, 360), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    SaveScreen(QStringLiteral("three-tasks-") + suffix, WindowArea(w));

    // A batch far beyond its disc: the bar's red part and the fill in the summary.
    for (auto &task : h.tasks) {
        task->settings.bVideoCustomBitRate = 0;
        task->settings.estimated_video_bit_rate = 3000000; // about 150 % of a DVD-5
    }
    CMediaSizeList *sizes = w.MediaSizeList();
    const auto choose_split = [&](std::string_view entry) {
        const auto &entries = sizes->Model().Entries();
        const int index = int(std::find(entries.begin(), entries.end(), entry) - entries.begin());
        sizes->setCurrentIndex(index);
        emit sizes->activated(index);
    };
    choose_split("DVD-5 (4.7GB)");
    SaveScreen(QStringLiteral("disc-overflow-") + suffix, WindowArea(w));
    choose_split("No split");

    bool shot = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (shot || !w.ProgressBar()->Caption().contains(QLatin1String("% |")))
            return;
        if (w.ProgressBar()->value() < 30)
            return;
        shot = true;
        SaveScreen(QStringLiteral("converting-") + suffix, WindowArea(w));
        QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    });
    watcher.start(30);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    watcher.stop();
    // Back to the three tasks as they were before the cancelled run.
    for (const auto &entry : fs::directory_iterator(h.app.OutputFolder()))
        fs::remove(entry.path());

    CProfileComboBox *picker = w.ProfilePicker();
    picker->OpenPopup();
    CIconListBox *groups = picker->Popup()->GroupPane();
    const auto shoot_group = [&](int row, const QString &name) {
        const QPoint at = groups->visualItemRect(groups->item(row)).center();
        QTest::mouseMove(groups->viewport(), at);
        QMouseEvent move(QEvent::MouseMove, at, groups->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(groups->viewport(), &move);
        SaveScreen(name + suffix,
                   WindowArea(w).united(picker->Popup()->frameGeometry()).adjusted(0, 0, 8, 8));
    };
    shoot_group(groups->count() - 1, QStringLiteral("picker-all-profiles-"));
    const QString sharing
        = UiText(h.languages, CataloguedKey("PROFILE_COMBO_DLG", "strWebSharingInfo"));
    for (int row = 0; row < groups->count(); ++row)
        if (groups->item(row)->text() == sharing)
            shoot_group(row, QStringLiteral("picker-web-sharing-"));
    picker->Popup()->HideNow();

    QTest::mouseClick(w.SettingsButton(), Qt::LeftButton);
    if (QMenu *menu = OpenPopupMenu()) {
        QAction *languages = menu->actions().at(2);
        menu->setActiveAction(languages);
        QTest::keyClick(menu, Qt::Key_Right);
        QTest::qWait(200);
        QRect area = WindowArea(w).united(menu->frameGeometry());
        if (languages->menu())
            area = area.united(languages->menu()->frameGeometry());
        SaveScreen(QStringLiteral("settings-language-") + suffix, area.adjusted(0, 0, 8, 8));
        menu->close();
    }

    CFileInfoDlg info(*h.tasks.Get(0), h.languages, &w);
    info.move(w.frameGeometry().topLeft() + QPoint(60, 80));
    info.show();
    if (!QTest::qWaitForWindowExposed(&info))
        std::fprintf(stderr, "the file information dialog was never shown\n");
    SaveScreen(QStringLiteral("file-information-") + suffix, WindowArea(info));
    info.close();

    ShootTaskWindows(h, w, suffix);
}

/// A clip with sound joined with one without, as the window shows the batch when it is done;
/// then the open dialog's list of file types.
void ShootMergeAndTypes(const std::string &language, const QString &suffix)
{
    HarnessOptions options;
    options.language = language;
    WindowHarness h(options);
    MainDialog &w = h.Create();
    w.move(40, 40);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::fprintf(stderr, "the main window was never shown\n");
    h.DismissStartMenu();
    ClipRecipe quiet;
    quiet.seconds = 2.0;
    quiet.audio_streams = 0;
    const fs::path day = h.MediaFolder() / "Day at the lake.mp4";
    fs::copy_file(GeneratedClip("clip.mp4", 2.0), day);
    w.AddStartFiles({day.string(), MakeClip(h.MediaFolder() / "Silent film.mp4", quiet).string()});
    QTest::mouseClick(w.MergeBox(), Qt::LeftButton);
    QTest::mouseClick(w.ConvertButton(), Qt::LeftButton);
    SaveScreen(QStringLiteral("merge-silent-") + suffix, WindowArea(w));

    std::vector<FileFilter> filters;
    for (TypeFilter &filter : OpenFileFilters())
        filters.push_back({std::move(filter.description), std::move(filter.pattern)});
    QFileDialog dialog(&w, QStringLiteral("Open"), QString::fromStdString(h.MediaFolder()));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(DialogFileChooser::NameFilters(filters));
    dialog.move(w.frameGeometry().topLeft() + QPoint(20, 20));
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog))
        std::fprintf(stderr, "the open dialog was never shown\n");
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        types->showPopup();
        QTest::qWait(200);
        QRect area = WindowArea(dialog);
        if (QWidget *popup = types->view()->window())
            area = area.united(popup->frameGeometry());
        SaveScreen(QStringLiteral("file-types-") + suffix, area.adjusted(0, 0, 8, 8));
        types->hidePopup();
    }
    dialog.close();
}

/// Three clips planned onto a Custom size their own rates would overflow, then onto one too small
/// even for the lowest rates: the rows' planned sizes, the bar's planned fill, the refusal.
void ShootPlan(const std::string &language, const QString &suffix)
{
    HarnessOptions options;
    options.language = language;
    WindowHarness h(options);
    MainDialog &w = h.Create();
    w.move(40, 40);
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        std::fprintf(stderr, "the main window was never shown\n");
    h.DismissStartMenu();
    w.ProfilePicker()->SelectProfile("hd_divxavi.ini", "HD DivX AVI (1280x720)");
    w.OnProfileSelected();
    std::vector<std::string> sources;
    for (const char *name : {"Holiday at the sea.mp4", "Birthday party.avi", "Concert.mkv"}) {
        const fs::path source = h.MediaFolder() / name;
        fs::copy_file(GeneratedClip("plan.mp4", 2.0), source);
        sources.push_back(source.string());
    }
    w.AddStartFiles(sources);
    CMediaSizeList *sizes = w.MediaSizeList();
    const auto choose_custom = [&](int megabytes) {
        ActOnModal([megabytes](QWidget *modal) {
            auto *dialog = qobject_cast<CCustomSizeDlg *>(modal);
            if (!dialog)
                return false;
            dialog->SizeEdit()->setText(QString::number(megabytes));
            QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
            return true;
        });
        const auto &entries = sizes->Model().Entries();
        const int index
            = int(std::find(entries.begin(), entries.end(), "Custom") - entries.begin());
        sizes->setCurrentIndex(index);
        emit sizes->activated(index);
    };
    choose_custom(2);
    SaveScreen(QStringLiteral("disc-plan-") + suffix, WindowArea(w));
    choose_custom(1);
    // With the bar's tip, which holds the driver's refusal, shown as a hovering user sees it.
    CGradientProgress *bar = w.ProgressBar();
    const QPoint at = bar->mapToGlobal(QPoint(bar->width() / 3, bar->height() / 2));
    QToolTip::showText(at, bar->toolTip(), bar);
    QTest::qWait(300);
    QRect area = WindowArea(w);
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->inherits("QTipLabel"))
            area = area.united(top->frameGeometry());
    SaveScreen(QStringLiteral("disc-plan-refused-") + suffix, area.adjusted(0, 0, 8, 8));
    QToolTip::hideText();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillet_window_shots FOLDER [plan]\n");
        return 2;
    }
    g_folder = QString::fromLocal8Bit(argv[1]);
    fs::create_directories(argv[1]);
    // "plan" as a second argument: the plan's pictures alone.
    const bool plan_only = argc > 2 && std::string_view(argv[2]) == "plan";
    if (plan_only) {
        for (const auto &[language, suffix] :
             {std::pair("English", "en"), std::pair("Deutsch (German)", "de"),
              std::pair("Français (French)", "fr")})
            ShootPlan(language, QString::fromLatin1(suffix));
        return 0;
    }
    Shoot("English", QStringLiteral("en"));
    Shoot("Deutsch (German)", QStringLiteral("de"));
    Shoot("Français (French)", QStringLiteral("fr"));
    ShootMergeAndTypes("English", QStringLiteral("en"));
    ShootMergeAndTypes("Deutsch (German)", QStringLiteral("de"));
    ShootMergeAndTypes("Français (French)", QStringLiteral("fr"));
    ShootPlan("English", QStringLiteral("en"));
    ShootPlan("Deutsch (German)", QStringLiteral("de"));
    ShootPlan("Français (French)", QStringLiteral("fr"));
    return 0;
}
