// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowHarness.h"

#include "MediaFixtures.h"
#include "ProgramStartUp.h"
#include "TaskListView.h"
#include "VeneerBinding.h"
#include "platform/SystemLanguage.h"

#include <QApplication>
#include <QDBusConnection>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace quillet::test {

namespace fs = std::filesystem;

void ScriptedPrompter::Tell(std::string_view text, std::string_view, Icon)
{
    told.emplace_back(text);
    if (while_open)
        while_open();
}

bool ScriptedPrompter::Ask(std::string_view question, std::string_view)
{
    asked.emplace_back(question);
    if (while_open)
        while_open();
    if (answers.empty())
        return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace {

void CopyFolder(const fs::path &from, const fs::path &to)
{
    fs::create_directories(to);
    for (const auto &entry : fs::directory_iterator(from))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), to / entry.path().filename());
}

} // namespace

WindowHarness::WindowHarness(const HarnessOptions &options)
    : registry(platform::SettingsStore(settings.path()))
    , app(registry, program.path().string())
    , m_options(options)
{
    const fs::path build = ProgramDir();
    CopyFolder(build / "ini", program.path() / "ini");
    CopyFolder(build / "language" / "tesk", program.path() / "language" / "tesk");
    CopyFolder(build / "help", program.path() / "help");
    if (options.first_use_done)
        registry.WriteNumber(ConverterApp::kSettingsKey, "firstuse", 1);
    if (!options.language.empty())
        registry.WriteText(ConverterApp::kSettingsKey, "language", options.language);
    if (!options.output_folder.empty())
        registry.WriteText(ConverterApp::kSettingsKey, "ConvertDir", options.output_folder);
    if (options.simultaneous_jobs >= 0)
        registry.WriteNumber(ConverterApp::kSettingsKey, MainDialog::kJobsSetting,
                             static_cast<uint32_t>(options.simultaneous_jobs));
}

WindowHarness::~WindowHarness()
{
    DestroyWindow();
}

MainDialog &WindowHarness::Create()
{
    DestroyWindow();
    ProgramStartUp start_up(app, languages, matroska, TheVeneer(), prompter);
    start_up.StartUp(platform::MakeLanguageId(9, 1));
    m_window = std::make_unique<MainDialog>(app, languages, tasks, matroska);
    m_window->SetPrompter(&prompter);
    m_window->SetDesktop(&desktop);
    m_window->SetFileChooser(&chooser);
    // The machine's own desktop hears nothing of the tests' batches (no sleep locks, no
    // notifications popping up on a developer's screen) unless a test asks for its buses.
    if (!m_options.desktop_buses) {
        const QDBusConnection none(QStringLiteral("quillet-test-no-bus"));
        m_window->SetDesktopBuses(none, none);
    }
    return *m_window;
}

MainDialog &WindowHarness::Start()
{
    Create();
    m_window->show();
    m_window->activateWindow();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        ADD_FAILURE() << "the main window was never shown";
    if (!DismissStartMenu())
        ADD_FAILURE() << "the Add menu did not open by itself";
    return *m_window;
}

bool WindowHarness::DismissStartMenu()
{
    if (!QTest::qWaitFor([] { return OpenPopupMenu() != nullptr; }, 2000))
        return false;
    OpenPopupMenu()->close();
    return QTest::qWaitFor([] { return OpenPopupMenu() == nullptr; }, 1000);
}

void WindowHarness::DestroyWindow()
{
    if (!m_window)
        return;
    m_window->hide();
    m_window.reset();
    tasks.Clear();
    QApplication::processEvents();
}

std::string WindowHarness::SettingText(const std::string &name) const
{
    std::string text;
    registry.ReadText(ConverterApp::kSettingsKey, name, text);
    return text;
}

uint32_t WindowHarness::SettingNumber(const std::string &name) const
{
    uint32_t number = 0xFFFFFFFF;
    registry.ReadNumber(ConverterApp::kSettingsKey, name, number);
    return number;
}

fs::path GeneratedClip(const std::string &name, double seconds, int width, int height)
{
    // Made once per test program in a folder of their own; tests copy what they change.
    static TempDir clips;
    static std::map<std::string, fs::path> made;
    const std::string key = name + "/" + std::to_string(seconds) + "/" + std::to_string(width) + "x"
        + std::to_string(height);
    if (auto found = made.find(key); found != made.end())
        return found->second;
    ClipRecipe recipe;
    recipe.seconds = seconds;
    recipe.width = width;
    recipe.height = height;
    if (name.ends_with(".avi"))
        recipe.audio_codec = "libmp3lame";
    fs::path folder = clips.path() / std::to_string(made.size());
    fs::create_directories(folder);
    return made[key] = MakeClip(folder / name, recipe);
}

void ActOnModal(std::function<bool(QWidget *)> act)
{
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act = std::move(act), poll] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && act(modal))
            return;
        QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
}

void AddCopies(WindowHarness &h, const std::vector<std::string> &names, const fs::path &clip)
{
    std::vector<std::string> paths;
    for (const std::string &name : names) {
        const fs::path copy = h.MediaFolder() / name;
        fs::copy_file(clip, copy, fs::copy_options::overwrite_existing);
        paths.push_back(copy.string());
    }
    h.Window().AddStartFiles(paths);
}

void ClickRow(MainDialog &w, int row, Qt::KeyboardModifiers modifiers)
{
    TaskListView *list = w.ListView();
    const QRect rect = list->visualItemRect(list->topLevelItem(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

QMenu *OpenPopupMenu()
{
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

QStringList MenuTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return texts;
}

QAction *FindAction(const QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions())
        if (!action->isSeparator() && action->text().startsWith(text))
            return action;
    return nullptr;
}

void ChooseFromListMenu(MainDialog &w, int row, const QString &text)
{
    TaskListView *list = w.ListView();
    emit list->customContextMenuRequested(list->visualItemRect(list->topLevelItem(row)).center());
    QMenu *menu = OpenPopupMenu();
    ASSERT_NE(menu, nullptr);
    QAction *action = FindAction(menu, text);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled()) << text.toStdString();
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    // The command was posted; it runs now, as the event loop would run it next.
    QCoreApplication::sendPostedEvents(&w, QEvent::MetaCall);
}

} // namespace quillet::test
