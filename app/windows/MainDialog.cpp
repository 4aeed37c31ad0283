// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's set-up, its texts and its closing rules.
#include "MainDialog.h"

#include "texts/ui/UiText.h"

#include "BatchNotifier.h"
#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "DesktopActions.h"
#include "DialogUnits.h"
#include "FileChooser.h"
#include "LauncherProgress.h"
#include "MessageBoxPrompter.h"
#include "SkinResources.h"
#include "SleepInhibitor.h"
#include "TaskListView.h"
#include "VeneerBinding.h"
#include "app/ConverterApp.h"
#include "core/BatchStore.h"
#include "core/MatroskaBinding.h"
#include "disc/subtitles/SubtitleOfferHook.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace quillet {

MainDialog::MainDialog(ConverterApp &app, LanguageTable &languages, TaskList &tasks,
                       MatroskaBinding &matroska, QWidget *parent)
    : QDialog(parent)
    , m_app(app)
    , m_languages(languages)
    , m_tasks(tasks)
    , m_matroska(matroska)
    , m_controller(tasks, static_cast<TaskListHost &>(*this), app, m_state, languages)
    , m_session(tasks, m_controller, app, m_state, *this, languages,
                SessionController::Remember::Yes)
    , m_driver(*this, languages)
    , m_kept(std::make_unique<BatchStore>(tasks, std::filesystem::path()))
    , m_own_prompter(std::make_unique<MessageBoxPrompter>(this))
    , m_own_desktop(std::make_unique<SystemDesktop>())
    , m_own_chooser(std::make_unique<DialogFileChooser>(this))
    , m_prompter(m_own_prompter.get())
    , m_desktop(m_own_desktop.get())
    , m_chooser(m_own_chooser.get())
{
    SetDesktopBuses(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    InitWindow();
}

MainDialog::~MainDialog() = default;

void MainDialog::SetPrompter(Prompter *prompter)
{
    m_prompter = prompter ? prompter : m_own_prompter.get();
}

void MainDialog::SetDesktop(DesktopActions *desktop)
{
    m_desktop = desktop ? desktop : m_own_desktop.get();
    m_notifier->SetDesktop(*m_desktop);
}

void MainDialog::SetDesktopBuses(const QDBusConnection &system_bus,
                                 const QDBusConnection &session_bus)
{
    m_inhibitor = std::make_unique<SleepInhibitor>(system_bus);
    m_launcher = std::make_unique<LauncherProgress>(session_bus);
    m_notifier = std::make_unique<BatchNotifier>(*m_desktop, session_bus);
}

void MainDialog::SetFileChooser(FileChooser *chooser)
{
    m_chooser = chooser ? chooser : m_own_chooser.get();
}

QString MainDialog::WindowCaption() const
{
    return QString::fromStdString(m_app.DisplayName());
}

void MainDialog::InitWindow()
{
    // A fixed-size dialog with a caption, a system menu and a minimise box, taking dropped files.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                   | Qt::CustomizeWindowHint);
    setFont(DialogFont());
    setWindowIcon(SkinResources::ProgramIcon());
    setAcceptDrops(true);

    CreateControls();
    ApplySkin();
    m_banner->SetTarget(QString::fromStdString(m_app.ProductPage()));
    m_banner->SetOpener(
        [this](const QString &target) { return m_desktop->Open(target.toStdString()); });

    m_output_edit->setText(QString::fromStdString(m_app.OutputFolder()));
    m_apply_all->setChecked(m_app.apply_to_all_flag);
    m_merge->setChecked(m_app.merge_flag);
    SetUpProgressBar();
    SetUpProfilePicker();
    LoadDefaultProfile();
    ConnectCommands();
    CreateAccelerators();

    // A Matroska file with subtitle tracks offers their extraction as it is added; the Waitting
    // window shows the extraction over this window. Questions go through the window's
    // prompter of the moment.
    m_controller.SetFileAddedHook(SubtitleOfferHook(
        this, static_cast<TaskListHost &>(*this), [this] { return m_app.OutputFolder(); },
        m_matroska));

    RefreshTexts();

    // The Add menu drops down by itself shortly after the window appears; on the first run
    // the product page opens too.
    for (QTimer *timer : {&m_add_menu_timer, &m_first_run_timer}) {
        timer->setSingleShot(true);
        timer->setInterval(kStartTimerMs);
    }
    m_add_menu_timer.setObjectName(QString::number(kAddMenuTimer));
    m_first_run_timer.setObjectName(QString::number(kFirstRunTimer));
    connect(&m_add_menu_timer, &QTimer::timeout, this, &MainDialog::OnAddButton);
    connect(&m_first_run_timer, &QTimer::timeout, this, &MainDialog::OnFirstRun);
    m_add_menu_timer.start();
    if (m_app.FirstUse() == 0)
        m_first_run_timer.start();

    TheVeneer().AddFilterHook(this);
}

bool MainDialog::StartTimerActive(int id) const
{
    if (id == kAddMenuTimer)
        return m_add_menu_timer.isActive();
    if (id == kFirstRunTimer)
        return m_first_run_timer.isActive();
    return false;
}

void MainDialog::OnFirstRun()
{
    m_first_run_timer.stop();
    m_app.MarkFirstUseDone();
    OpenWithWaitCursor(m_app.ProductPage());
}

void MainDialog::RefreshTexts()
{
    // Qt's own dialogs (the file dialog) follow the chosen language too.
    m_qt_translations.Use(m_languages.CurrentLanguageName());
    setWindowTitle(WindowCaption());
    m_own_prompter->SetDefaultCaption(WindowCaption());
    m_banner->setPixmap(SkinResources::BannerWithTagline(
        UiText(m_languages, CataloguedKey("MAIN_DLG", "strTaglineInfo"))));
    // The website tooltip takes the display name; a translation that would not take it as a
    // printf format falls back to the English text.
    m_banner->SetTooltip(QString::fromStdString(
        FormatText(LookupKeyFormat(m_languages, CataloguedKey("MAIN_DLG", "strWebsiteTooltip")),
                   m_app.DisplayName().c_str())));

    m_profile_label->setText(
        UiText(m_languages, CataloguedKey("MAIN_DLG", "strOutputProfileNameInfo")));
    m_output_label->setText(UiText(m_languages, CataloguedKey("MAIN_DLG", "strOutputFolderInfo")));
    struct Captioned
    {
        CSkinButton *button;
        const LanguageKey *caption;
        const LanguageKey *tooltip;
    };
    const Captioned captioned[] = {
        {m_add, &CataloguedKey("MAIN_DLG", "btnAddInfo"),
         &CataloguedKey("MAIN_DLG", "btnAddTooltip")},
        {m_remove, &CataloguedKey("MAIN_DLG", "btnRemoveInfo"),
         &CataloguedKey("MAIN_DLG", "btnRemoveTooltip")},
        {m_down, &CataloguedKey("MAIN_DLG", "btnDownInfo"),
         &CataloguedKey("MAIN_DLG", "btnDownTooltip")},
        {m_up, &CataloguedKey("MAIN_DLG", "btnUpInfo"), &CataloguedKey("MAIN_DLG", "btnUpTooltip")},
        {m_audio, &CataloguedKey("MAIN_DLG", "btnAudioTrackInfo"),
         &CataloguedKey("MAIN_DLG", "btnAudioTrackTooltip")},
        {m_subtitle, &CataloguedKey("MAIN_DLG", "btnSubtitleInfo"),
         &CataloguedKey("MAIN_DLG", "btnSubtitleTooltip")},
        {m_update, nullptr, &CataloguedKey("MAIN_DLG", "btnUpdateTooltip")},
        {m_settings, nullptr, &CataloguedKey("MAIN_DLG", "btnSettingsTooltip")},
        {m_open_folder, &CataloguedKey("MAIN_DLG", "btnOpenOutputFolderInfo"),
         &CataloguedKey("MAIN_DLG", "btnOpenOutputFolderTooltip")},
        {m_change_folder, &CataloguedKey("MAIN_DLG", "btnChangeOutputFolderInfo"),
         &CataloguedKey("MAIN_DLG", "btnChangeOutputFolderTooltip")},
        {m_options, &CataloguedKey("MAIN_DLG", "btnOptionInfo"),
         &CataloguedKey("MAIN_DLG", "btnOptionTooltip")},
    };
    for (const Captioned &c : captioned) {
        if (c.caption)
            c.button->setText(UiText(m_languages, *c.caption));
        c.button->SetTooltipText(UiText(m_languages, *c.tooltip));
    }
    SetConvertFace(m_state.converting != 0);
    m_apply_all->setText(UiText(m_languages, CataloguedKey("MAIN_DLG", "btnApplyAllInfo")));
    m_merge->setText(UiText(m_languages, CataloguedKey("MAIN_DLG", "btnMergeFileInfo")));
    const LanguageKey *headers[]
        = {&CataloguedKey("MAIN_DLG", "strList0Info"), &CataloguedKey("MAIN_DLG", "strList1Info"),
           &CataloguedKey("MAIN_DLG", "strList2Info"), &CataloguedKey("MAIN_DLG", "strList3Info"),
           &CataloguedKey("MAIN_DLG", "strList4Info")};
    QStringList header_texts;
    for (const LanguageKey *key : headers)
        header_texts << UiText(m_languages, *key);
    m_list->SetHeaders(header_texts);
    m_list->setAccessibleName(UiText(m_languages, CataloguedKey("MAIN_DLG", "strTaskListName")));
    m_picker->ShowTexts(m_languages);
    m_sizes->ShowTexts(m_languages);
    m_sizes->setAccessibleName(UiText(m_languages, CataloguedKey("MAIN_DLG", "strSizeListName")));
    // Made again in the new language; it keeps the size the list holds.
    m_sizes->CreateCustomSizeDialog(static_cast<TaskListHost &>(*this), m_languages);

    // Texts of another language are longer or shorter: the controls are fitted to them again.
    PlaceControls();
    m_controller.AfterListChange();
    update();
}

void MainDialog::AddStartFiles(const std::vector<std::string> &paths)
{
    if (!paths.empty())
        m_controller.AddDroppedFiles(paths);
}

void MainDialog::Tell(std::string_view text, std::string_view caption, Icon icon)
{
    // A message during a batch is the driver's last word (the failure list, a refused merge):
    // the batch's work is over, and a user who is away must not find the session kept awake,
    // nor go unnotified, until the box is answered.
    if (m_state.converting)
        EndBatchOnDesktop();
    m_prompter->Tell(text, caption, icon);
}

bool MainDialog::Ask(std::string_view question, std::string_view caption)
{
    // Without a caption of its own the message box carries the window's caption.
    return m_prompter->Ask(question, caption);
}

void MainDialog::reject()
{
    if (m_state.converting) {
        m_batch.cancel_asked = true;
        m_driver.RequestCancel();
        return;
    }
    QDialog::reject();
}

void MainDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier) {
        QDialog::keyPressEvent(event);
        return;
    }
    event->accept();
    if (m_state.converting)
        reject();
    else if (m_menu && m_menu->isVisible())
        m_menu->close();
    // Idle, the window stays: ending it goes through closeEvent's rules (close box, Alt+F4,
    // Exit), never through a key a user can hit by chance.
}

void MainDialog::closeEvent(QCloseEvent *event)
{
    if (m_state.converting) {
        // The window's own refusal, not a message of the batch (see Tell).
        m_prompter->Tell(kCloseRefused);
        event->ignore();
        return;
    }
    // The list as it stands is what a restart offers back: written before it is emptied.
    m_kept->Close();
    m_controller.RemoveAll();
    m_sizes->DestroyCustomSizeDialog();
    QDialog::closeEvent(event);
}

} // namespace quillet
