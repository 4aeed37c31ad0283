// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the subtitle windows as a user sees them, for looking at them under a real display
// server (xvfb-run): subtitle_window_shots OUTPUT_FOLDER LANGUAGE_NAME ("English", "Deutsch
// (German)", ...). Not a test; it writes PNG files and ends.

#include "ModalDriver.h"

#include "app/ConverterApp.h"
#include "app/RegistryAccess.h"
#include "core/Prompter.h"
#include "core/TaskList.h"
#include "disc/SubtitleStyleEditor.h"
#include "disc/subtitles/CAudioTrackDlg.h"
#include "disc/subtitles/CSubtitleDlg.h"
#include "disc/subtitles/CWaittingDlg.h"
#include "texts/LanguageTable.h"

#include "TempDir.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace quillet;

namespace {

struct SilentPrompter : Prompter
{
    void Tell(std::string_view, std::string_view, Icon) override { }
    bool Ask(std::string_view, std::string_view) override { return false; }
};

void Save(QWidget *window, const QString &path)
{
    window->grab().save(path);
    std::printf("%s\n", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER LANGUAGE_NAME\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const std::string language = argv[2];
    const QString tag = QString::fromStdString(language).section(QLatin1Char(' '), 0, 0).toLower();
    const std::string program = test::ProgramDir().string();

    // The style library reads the language from the converter's settings, as it does when the
    // converter loads it.
    test::TempDir settings;
    setenv("QUILLET_SETTINGS_DIR", settings.path().c_str(), 1);
    setenv("QUILLET_SUBTITLE_STYLE", settings.file("style.ini").c_str(), 1);
    RegistryAccess(platform::SettingsStore(settings.path()))
        .WriteText(ConverterApp::kSettingsKey, "language", language);
    LanguageTable texts;
    texts.ScanLanguageFolder(program + ConverterApp::kDefaultLanguageFolder);
    texts.SelectLanguage(language);

    test::TempDir files;
    std::vector<std::string> candidates;
    candidates.reserve(3);
    for (int i = 0; i < 3; ++i)
        candidates.push_back(test::WriteFile(files.path()
                                                 / ("Holiday in Rome_" + std::to_string(i)
                                                    + (i == 1 ? ".ass" : ".srt")),
                                             "1\n00:00:01,000 --> 00:00:02,000\nHello\n")
                                 .string());

    QWidget main_window;
    main_window.setWindowTitle(QStringLiteral("quillet"));
    main_window.resize(640, 420);
    auto *layout = new QVBoxLayout(&main_window);
    layout->addWidget(new QLabel(QStringLiteral("The main window"), &main_window));
    main_window.show();

    SilentPrompter prompter;
    TaskList tasks;
    auto task = std::make_unique<Task>();
    task->subtitle_path = candidates.front();
    task->subtitle_candidates = candidates;
    for (int i = 0; i < 3; ++i) {
        AudioTrack track;
        track.ordinal = i;
        track.selected = i == 0 ? 1 : 0;
        const char *descriptions[] = {"Audio: aac (LC), 48000 Hz, stereo, 128 kb/s (eng)",
                                      "Audio: ac3, 48000 Hz, 5.1(side), 448 kb/s (ger)",
                                      "Audio: mp3, 44100 Hz, stereo, 192 kb/s (commentary)"};
        track.description = descriptions[i];
        task->audio_tracks.push_back(track);
    }
    tasks.Add(std::move(task));

    test::WhenModal<CSubtitleDlg>([&](CSubtitleDlg *dialog) {
        Save(dialog, out + QStringLiteral("/subtitles-%1.png").arg(tag));
        dialog->List()->setCurrentRow(1);
        Save(dialog, out + QStringLiteral("/subtitles-second-%1.png").arg(tag));
        dialog->reject();
    });
    CSubtitleDlg::EditSelectedTask(&main_window, tasks, {0}, texts, prompter,
                                   SubtitleStyleEditor(program));

    test::WhenModal<CAudioTrackDlg>([&](CAudioTrackDlg *dialog) {
        Save(dialog, out + QStringLiteral("/audio-%1.png").arg(tag));
        dialog->reject();
    });
    CAudioTrackDlg::EditSelectedTask(&main_window, tasks, {0}, texts);

    CWaittingDlg *wait = CWaittingDlg::Show(&main_window);
    wait->Update(48, "Extracting subtitles from Holiday in Rome.mkv");
    Save(wait, out + QStringLiteral("/waitting-%1.png").arg(tag));
    wait->Close();

    test::WhenModal(
        [](QWidget *w) { return w->objectName() == QLatin1String("subtitleStyleDialog"); },
        [&](QWidget *dialog) {
            // The preview is drawn once the dialog settles.
            QTimer::singleShot(300, dialog, [=] {
                Save(dialog, out + QStringLiteral("/style-%1.png").arg(tag));
                // A bigger, yellow, bold style at the top, chosen as a user chooses it.
                test::Child<QSpinBox>(dialog, "fontSize")->setValue(28);
                test::Child<QCheckBox>(dialog, "bold")->setChecked(true);
                test::Child<QRadioButton>(dialog, "alignment8")->click();
                test::WhenModal<QColorDialog>([](QColorDialog *colours) {
                    colours->setCurrentColor(Qt::yellow);
                    QMetaObject::invokeMethod(colours, "accept");
                });
                test::Child<QPushButton>(test::Child<QWidget>(dialog, "primaryColour"), "button")
                    ->click();
                QTimer::singleShot(300, dialog, [=] {
                    Save(dialog, out + QStringLiteral("/style-changed-%1.png").arg(tag));
                    qobject_cast<QDialog *>(dialog)->reject();
                });
            });
        });
    const auto result = SubtitleStyleEditor(program).Edit(nullptr);
    return result == SubtitleStyleEditor::Result::Cancelled ? 0 : 1;
}
