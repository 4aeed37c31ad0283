// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliApp.h"

#include "app/ConverterApp.h"
#include "app/SessionController.h"
#include "app/TaskListController.h"
#include "cli/CliFrontEnd.h"
#include "cli/CliQueue.h"
#include "core/ConversionDriver.h"
#include "core/MatroskaBinding.h"
#include "core/MediaProbe.h"
#include "core/ProfileFile.h"
#include "core/SubtitleOffer.h"
#include "disc/SplitList.h"
#include "platform/DataFolder.h"
#include "platform/IniDocument.h"
#include "platform/Paths.h"
#include "platform/SystemLanguage.h"
#include "platform/TextCase.h"
#include "profiles/DefaultProfileStore.h"
#include "profiles/ProfileCatalogue.h"
#include "texts/LanguageTable.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace quillet::cli {

namespace {

/// Extraction progress as lines on standard error.
class TerminalProgress final : public ExtractionProgress
{
public:
    void Update(int percent, std::string_view message) override
    {
        if (percent == m_last)
            return;
        m_last = percent;
        std::fprintf(stderr, "%.*s: %d %%\n", static_cast<int>(message.size()), message.data(),
                     percent);
    }

private:
    int m_last = -1;
};

/// The absolute path of a regular file at path, or why there is none.
bool RegularFileAt(const std::string &path, std::string &absolute, std::string &error)
{
    std::error_code ec;
    const bool regular = std::filesystem::is_regular_file(path, ec);
    if (ec || !regular) {
        error = ec ? ec.message() : "no such subtitle file";
        return false;
    }
    absolute = std::filesystem::absolute(path, ec).string();
    if (ec)
        error = ec.message();
    return !ec;
}

int Usage(const std::string &message)
{
    std::fprintf(stderr, "quillet-cli: %s\nTry 'quillet-cli --help'.\n", message.c_str());
    return kBadUsage;
}

} // namespace

CliApp::CliApp(std::string program_folder)
    : m_program_folder(std::move(program_folder))
{ }

int CliApp::Run(const CliOptions &options)
{
    if (!options.error.empty())
        return Usage(options.error);
    switch (options.mode) {
    case CliOptions::Mode::Help:
        std::fputs(UsageText().c_str(), stdout);
        return kAllConverted;
    case CliOptions::Mode::ListProfiles:
        return ListProfiles();
    case CliOptions::Mode::Probe:
        return Probe(options);
    case CliOptions::Mode::Convert:
        return Convert(options);
    }
    return kBadUsage;
}

namespace {

/// Where ini/ and the default output/ are: the program folder, or the per-user stand-in of an
/// installed, read-only program folder, brought up to date on the way.
platform::DataFolderChoice Reported(platform::DataFolderChoice choice)
{
    if (!choice.error.empty())
        std::fprintf(stderr, "quillet-cli: %s\n", choice.error.c_str());
    return choice;
}

} // namespace

int CliApp::ListProfiles()
{
    ProfileCatalogue catalogue;
    catalogue.Scan(
        Reported(platform::ChooseDataFolder(m_program_folder, platform::UserDataHome())).folder
        + "/ini/");
    // Every group but "All Profiles", which only repeats the others.
    for (int g = 0; g + 1 < catalogue.GroupCount(); ++g)
        for (const auto *item : catalogue.ItemsShownFor(g))
            std::printf("%s\t%s\t%s\n",
                        catalogue.Groups()[static_cast<std::size_t>(g)].name.c_str(),
                        item->ini_file.c_str(), item->section.c_str());
    return kAllConverted;
}

int CliApp::Probe(const CliOptions &options)
{
    if (options.files.empty())
        return Usage("--probe needs at least one file");
    MainState state;
    CliFrontEnd front(state);
    BuiltInTexts texts;
    int status = kAllConverted;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
        auto task = CreateTask(options.files[i], RouteFlag(options.files[i]), -1, -1, texts,
                               static_cast<SessionHost &>(front));
        std::printf("%s%s\n", i ? "\n" : "", task->information.c_str());
        if (task->StreamCount() == 0)
            status = kSomeFailed;
    }
    return status;
}

namespace {

/// The exit status of a step that lets the work go on.
constexpr int kGoOn = -1;

/**
 * One conversion of quillet-cli: the window's session without the window. The steps below run
 * in order; each gives kGoOn or the exit status to end with.
 */
class CliBatch
{
public:
    CliBatch(const CliOptions &options, const std::string &program_folder)
        : m_options(options)
        , m_app(RegistryAccess{platform::SettingsStore(platform::SettingsStore::DefaultFolder())},
                program_folder)
        , m_data(Reported(m_app.ChooseDataFolder(platform::UserDataHome())))
        , m_languages(TheLanguageTable())
        , m_front(m_state)
        , m_list(m_tasks, m_front, m_app, m_state, m_languages)
        , m_session(m_tasks, m_list, m_app, m_state, m_front, m_languages,
                    SessionController::Remember::No)
    {
        m_app.FillTexts();
        // The converter's language, from its language folder, as the window shows it.
        m_app.ReadLanguageSettings(m_languages, platform::SystemLanguageId());
        m_front.SetAnswer(options.extract_subtitles);
        m_front.SetReport(options.summary, options.json);
        m_front.SetController(&m_list);
        m_front.SetTexts(&m_languages);
    }

    int CheckInputs();
    int ChooseProfile();
    int ChooseSplit();
    int ChooseOutputFolder();
    int OpenQueue();
    int AddFiles();
    int ChooseTracks();
    int Run();

private:
    void OfferSubtitles(Task &task);

    const CliOptions &m_options;
    ConverterApp m_app;
    platform::DataFolderChoice m_data;
    LanguageTable &m_languages;
    MainState m_state;
    TaskList m_tasks;
    CliFrontEnd m_front;
    TaskListController m_list;
    SessionController m_session;
    SplitList m_split;
    std::string m_subtitle; // --subtitle, made absolute
    std::optional<CliQueue> m_queue;
};

int CliBatch::CheckInputs()
{
    if (m_options.files.empty() && !m_options.disc)
        return Usage("no input files");
    if (m_options.extract_subtitles && !TheMatroskaBinding().Load(m_app.ProgramFolder()))
        return Usage("--extract-subtitles needs the Matroska track library: "
                     + TheMatroskaBinding().Error());
    // Only a name that names nothing is refused here. A name that cannot be followed (a link
    // loop, a name longer than the file system takes) becomes a task that fails with the reason.
    for (const auto &file : m_options.files) {
        std::error_code ec;
        if (std::filesystem::symlink_status(file, ec).type()
            == std::filesystem::file_type::not_found)
            return Usage(file + ": no such file or folder");
    }
    std::string error;
    if (!m_options.subtitle.empty() && !RegularFileAt(m_options.subtitle, m_subtitle, error))
        return Usage(m_options.subtitle + ": " + error);
    return kGoOn;
}

int CliBatch::ChooseProfile()
{
    ProfileChoice choice{m_options.profile_file, m_options.profile_section};
    const ProfileChoice remembered = m_session.LoadRememberedProfile();
    if (choice.file.empty())
        choice = remembered;
    if (choice.file.empty())
        return Usage("no profile remembered in "
                     + DefaultProfileStore(m_session.ProfileFolder()).Path()
                     + "; choose one with --profile");
    if (const std::string error = m_session.UseProfile(choice); !error.empty())
        return Usage(error + " (see quillet-cli --list-profiles)");
    m_split.Fill(choice.file);
    // Before any file is added, so every task takes the profile as it is added.
    m_session.SetMerge(m_options.merge);
    return kGoOn;
}

int CliBatch::ChooseSplit()
{
    if (!m_options.split.empty() && !m_split.Select(m_options.split)) {
        std::string allowed;
        for (const auto &e : m_split.Entries())
            allowed += (allowed.empty() ? "\"" : ", \"") + e + "\"";
        return Usage("split \"" + m_options.split + "\" is not offered for "
                     + std::string(platform::FileNameOf(m_state.current_profile.profile_path.str()))
                     + "; choose one of " + allowed);
    }
    if (m_options.split_size_mb >= 0)
        m_split.SetCustomSizeMb(m_options.split_size_mb);
    m_front.SetSplit(m_split.SelectedText(), m_split.CustomSizeMb());
    return kGoOn;
}

int CliBatch::ChooseOutputFolder()
{
    // The converter's own settings decide the output folder unless one is given.
    std::string output = m_options.output_dir;
    if (output.empty())
        output = m_app.StoredOutputFolder();
    if (output.empty()) {
        // An installed program without a home has no output folder of its own to offer.
        if (m_data.stand_in && platform::UserDataHome().empty())
            return Usage("no output folder without a home folder; name one with -o");
        output = m_app.DataFolder() + "/output/";
    }
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(output, ec);
    if (ec)
        return Usage("cannot use the output folder " + output + ": " + ec.message());
    // Refused as the window refuses it, in the same words, before any file is probed.
    if (m_session.ChangeOutputFolder(folder.string()) == SessionController::FolderChange::Refused)
        return kBadUsage;
    return kGoOn;
}

int CliBatch::OpenQueue()
{
    // Before any file is probed, so a second run with the same queue is turned away at once.
    if (m_options.queue_file.empty())
        return kGoOn;
    std::error_code ec;
    const std::string path
        = std::filesystem::absolute(m_options.queue_file, ec).lexically_normal().string();
    if (ec)
        return Usage(m_options.queue_file + ": " + ec.message());
    m_queue.emplace(m_tasks, path);
    std::string message;
    switch (m_queue->Open(m_languages, message)) {
    case CliQueue::Opened::Ready:
        break;
    case CliQueue::Opened::Busy:
        std::fprintf(stderr, "quillet-cli: %s\n", message.c_str());
        return kBadUsage;
    case CliQueue::Opened::Failed:
        return Usage(message);
    }
    if (!message.empty())
        std::fprintf(stderr, "quillet-cli: %s\n", message.c_str());
    return kGoOn;
}

void CliBatch::OfferSubtitles(Task &task)
{
    if (m_queue && m_queue->TakeKeptSubtitles(task))
        return;
    const SubtitleOfferOutcome outcome = quillet::OfferSubtitles(
        task, TheMatroskaBinding(), static_cast<SessionHost &>(m_front), m_app.OutputFolder(),
        [] { return std::make_unique<TerminalProgress>(); },
        [](const std::string &p) { return platform::PathExists(p); });
    // Extraction was asked for: a file whose subtitles cannot be had is not converted
    // without them.
    if (outcome == SubtitleOfferOutcome::TracksUnreadable)
        task.preparation_failure = "its tracks could not be read, so no subtitle was extracted";
    else if (outcome == SubtitleOfferOutcome::SomeNotExtracted)
        task.preparation_failure = "some of its subtitle tracks could not be extracted";
}

int CliBatch::AddFiles()
{
    if (m_options.extract_subtitles)
        m_list.SetFileAddedHook([this](Task &task) { OfferSubtitles(task); });
    for (const auto &file : m_options.files) {
        std::error_code ec;
        const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
        if (ec)
            return Usage(file + ": " + ec.message());
        if (std::filesystem::is_directory(path, ec))
            m_list.ScanFolder(path, true);
        else
            m_list.AddSourceFile(path);
    }
    if (m_options.disc && m_list.ImportDisc(platform::DriveSources::FromEnvironment()) == 0
        && m_options.files.empty())
        return kSomeFailed;
    if (m_tasks.Count() == 0)
        return Usage("no media files found in the given folders");
    return kGoOn;
}

int CliBatch::ChooseTracks()
{
    const std::vector<int> &wanted = m_options.audio_tracks;
    // A track the file does not have would make an output without that sound: refused before
    // anything is converted.
    for (const auto &task : m_tasks) {
        const std::size_t count = task->audio_tracks.size();
        for (int n : wanted)
            if (n < 1 || static_cast<std::size_t>(n) > count)
                return Usage(task->source_path + " has " + std::to_string(count)
                             + (count == 1 ? " audio track" : " audio tracks") + "; --audio-tracks "
                             + std::to_string(n) + " names none");
    }
    for (const auto &task : m_tasks) {
        if (!wanted.empty())
            for (auto &track : task->audio_tracks)
                track.selected
                    = std::find(wanted.begin(), wanted.end(), track.ordinal + 1) != wanted.end();
        if (!m_subtitle.empty())
            task->subtitle_path = m_subtitle;
    }
    return kGoOn;
}

int CliBatch::Run()
{
    ConversionDriver driver(m_front, m_languages);
    m_front.SetCancelHandler([&driver] { driver.RequestCancel(); });
    if (m_queue) {
        m_queue->Adopt();
        m_front.SetKeptBatch(&m_queue->Store());
    }
    const std::optional<RunRequest> request
        = m_session.PrepareRun({}, m_queue ? &m_queue->Store() : nullptr, m_options.jobs);
    RunOutcome outcome;
    if (request && !CliFrontEnd::Interrupted())
        outcome = driver.Convert(m_tasks, *request);
    for (const TaskResult &result : outcome.results) {
        if (result.made_earlier) {
            const std::string name(platform::FileNameOf(result.source));
            std::fprintf(stderr, "quillet-cli: %s: %s\n", name.c_str(), result.reason.c_str());
        }
    }
    if (m_queue) {
        m_front.SetKeptBatch(nullptr);
        std::string error;
        if (!m_queue->Close(error))
            std::fprintf(stderr, "quillet-cli: the queue %s could not be written: %s\n",
                         m_queue->Store().FilePath().c_str(), error.c_str());
    }
    m_front.PrintResults(outcome.results);

    if (const int signal = CliFrontEnd::InterruptSignal())
        return signal == SIGINT ? kCancelled : 128 + signal;
    if (outcome.cancelled)
        return kCancelled;
    if (!outcome.started || !outcome.failures.empty())
        return kSomeFailed;
    return kAllConverted;
}

} // namespace

int CliApp::Convert(const CliOptions &options)
{
    // From here on a stop signal ends the work in good order: nothing is converted after it,
    // and an output being written is removed.
    CliFrontEnd::InstallInterruptHandler();
    CliBatch batch(options, m_program_folder);
    for (auto step : {&CliBatch::CheckInputs, &CliBatch::ChooseProfile, &CliBatch::ChooseSplit,
                      &CliBatch::ChooseOutputFolder, &CliBatch::OpenQueue, &CliBatch::AddFiles,
                      &CliBatch::ChooseTracks})
        if (const int status = (batch.*step)(); status != kGoOn)
            return status;
    return batch.Run();
}

} // namespace quillet::cli
