// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliApp.h"

#include "app/ConverterApp.h"
#include "app/LanguageTable.h"
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

/// Where ini/ and the default output/ are: the program folder, or the per-user stand-in of an
/// installed, read-only program folder, brought up to date on the way.
static platform::DataFolderChoice DataFolderFor(const std::string &program_folder)
{
    platform::DataFolderChoice choice
        = platform::ChooseDataFolder(program_folder, platform::UserDataHome());
    if (!choice.error.empty())
        std::fprintf(stderr, "quillet-cli: %s\n", choice.error.c_str());
    return choice;
}

int CliApp::ListProfiles()
{
    ProfileCatalogue catalogue;
    catalogue.Scan(DataFolderFor(m_program_folder).folder + "/ini/");
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
                               static_cast<TaskListHost &>(front));
        std::printf("%s%s\n", i ? "\n" : "", task->information.c_str());
        if (task->StreamCount() == 0)
            status = kSomeFailed;
    }
    return status;
}

int CliApp::Convert(const CliOptions &options)
{
    if (options.files.empty() && !options.disc)
        return Usage("no input files");
    // From here on a stop signal ends the work in good order: nothing is converted after it,
    // and an output being written is removed.
    CliFrontEnd::InstallInterruptHandler();
    MatroskaBinding &matroska = TheMatroskaBinding();
    if (options.extract_subtitles && !matroska.Load(m_program_folder))
        return Usage("--extract-subtitles needs the Matroska track library: " + matroska.Error());
    // Only a name that names nothing is refused here. A name that cannot be followed (a link
    // loop, a name longer than the file system takes) becomes a task that fails with the reason.
    for (const auto &file : options.files) {
        std::error_code ec;
        if (std::filesystem::symlink_status(file, ec).type()
            == std::filesystem::file_type::not_found)
            return Usage(file + ": no such file or folder");
    }
    std::string subtitle;
    if (!options.subtitle.empty()) {
        std::string error;
        if (!RegularFileAt(options.subtitle, subtitle, error))
            return Usage(options.subtitle + ": " + error);
    }

    const platform::DataFolderChoice data = DataFolderFor(m_program_folder);
    const std::string &data_folder = data.folder;
    const std::string ini_folder = data_folder + "/ini/";
    DefaultProfileStore defaults(ini_folder);
    MainState state;
    state.default_profile = defaults.Read();
    std::string profile_file = options.profile_file;
    std::string section = options.profile_section;
    if (profile_file.empty()) {
        profile_file = state.default_profile.output_ini_file.str();
        section = state.default_profile.output_profile.str();
        if (profile_file.empty())
            return Usage("no profile remembered in " + defaults.Path()
                         + "; choose one with --profile");
    }
    const std::string profile_path = ini_folder + profile_file;
    // A device or a FIFO is never read, nor a file far larger than any profile file.
    platform::IniDocument profile_document;
    std::string profile_error;
    if (!profile_document.Load(profile_path, &profile_error))
        return Usage("cannot read the profile file " + profile_error);
    bool known = false;
    for (const auto &name : ProfileFile::SectionNames(profile_path))
        known = known || platform::EqualsIgnoringCase(name, section);
    if (!known)
        return Usage("unknown profile " + profile_file + ":" + section
                     + " (see quillet-cli --list-profiles)");
    ProfileFile::Read(section, state.current_profile, profile_path);
    state.current_profile.profile_path = profile_path;

    SplitList split;
    split.Fill(profile_file);
    if (!options.split.empty() && !split.Select(options.split)) {
        std::string allowed;
        for (const auto &e : split.Entries())
            allowed += (allowed.empty() ? "\"" : ", \"") + e + "\"";
        return Usage("split \"" + options.split + "\" is not offered for " + profile_file
                     + "; choose one of " + allowed);
    }
    if (options.split_size_mb >= 0)
        split.SetCustomSizeMb(options.split_size_mb);

    // The converter's own settings decide the output folder unless one is given. An empty
    // ConvertDir counts as absent, as it does for the window.
    RegistryAccess registry{platform::SettingsStore(platform::SettingsStore::DefaultFolder())};
    ConverterApp app(registry, m_program_folder);
    app.FillTexts();
    std::string output = options.output_dir;
    if (output.empty()
        && (!registry.ReadText(ConverterApp::kSettingsKey, "ConvertDir", output)
            || output.empty())) {
        // An installed program without a home has no output folder of its own to offer.
        if (data.stand_in && platform::UserDataHome().empty())
            return Usage("no output folder without a home folder; name one with -o");
        output = data_folder + "/output/";
    }
    std::error_code output_ec;
    const std::filesystem::path output_folder = std::filesystem::absolute(output, output_ec);
    if (output_ec)
        return Usage("cannot use the output folder " + output + ": " + output_ec.message());
    app.SetOutputFolder(output_folder.string());
    if (!platform::CreateFolderLevels(app.OutputFolder()))
        return Usage("cannot create the output folder " + app.OutputFolder());

    LanguageTable &languages = TheLanguageTable();
    languages.ScanLanguageFolder(m_program_folder + ConverterApp::kDefaultLanguageFolder);
    std::string language;
    if (!registry.ReadText(ConverterApp::kSettingsKey, "language", language))
        language = languages.DefaultLanguageName(platform::SystemLanguageId());
    languages.SelectLanguage(language);

    TaskList tasks;
    CliFrontEnd front(state);
    front.SetSplit(split.SelectedText(), split.CustomSizeMb());
    front.SetAnswer(options.extract_subtitles);
    front.SetReport(options.summary, options.json);
    TaskListController controller(tasks, front, app, state, languages);
    front.SetController(&controller);

    // Before any file is probed, so a second run with the same queue is turned away at once.
    std::optional<CliQueue> queue;
    if (!options.queue_file.empty()) {
        std::error_code ec;
        const std::string path
            = std::filesystem::absolute(options.queue_file, ec).lexically_normal().string();
        if (ec)
            return Usage(options.queue_file + ": " + ec.message());
        queue.emplace(tasks, path);
        std::string message;
        switch (queue->Open(languages, message)) {
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
    }

    if (options.extract_subtitles) {
        controller.SetFileAddedHook([&](Task &task) {
            if (queue && queue->TakeKeptSubtitles(task))
                return;
            const SubtitleOfferOutcome outcome = OfferSubtitles(
                task, matroska, static_cast<TaskListHost &>(front), app.OutputFolder(),
                [] { return std::make_unique<TerminalProgress>(); },
                [](const std::string &p) { return platform::PathExists(p); });
            // Extraction was asked for: a file whose subtitles cannot be had is not converted
            // without them.
            if (outcome == SubtitleOfferOutcome::TracksUnreadable)
                task.preparation_failure = "its tracks could not be read, so no subtitle was "
                                           "extracted";
            else if (outcome == SubtitleOfferOutcome::SomeNotExtracted)
                task.preparation_failure = "some of its subtitle tracks could not be extracted";
        });
    }
    for (const auto &file : options.files) {
        std::error_code ec;
        const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
        if (ec)
            return Usage(file + ": " + ec.message());
        if (std::filesystem::is_directory(path, ec))
            controller.ScanFolder(path, true);
        else
            controller.AddSourceFile(path);
    }
    if (options.disc && controller.ImportDisc(platform::DriveSources::FromEnvironment()) == 0
        && options.files.empty())
        return kSomeFailed;
    if (tasks.Count() == 0)
        return Usage("no media files found in the given folders");

    // A track the file does not have would make an output without that sound: refused before
    // anything is converted.
    if (!options.audio_tracks.empty()) {
        for (const auto &task : tasks) {
            const std::size_t count = task->audio_tracks.size();
            for (int n : options.audio_tracks)
                if (n < 1 || static_cast<std::size_t>(n) > count)
                    return Usage(task->source_path + " has " + std::to_string(count)
                                 + (count == 1 ? " audio track" : " audio tracks")
                                 + "; --audio-tracks " + std::to_string(n) + " names none");
        }
    }
    for (const auto &task : tasks) {
        if (!options.audio_tracks.empty()) {
            for (auto &track : task->audio_tracks) {
                bool keep = false;
                for (int n : options.audio_tracks)
                    keep = keep || n == track.ordinal + 1;
                track.selected = keep ? 1 : 0;
            }
        }
        if (!subtitle.empty())
            task->subtitle_path = subtitle;
    }

    ConversionDriver driver(front, languages);
    front.SetCancelHandler([&driver] { driver.RequestCancel(); });
    if (queue) {
        queue->Adopt();
        front.SetKeptBatch(&queue->Store());
    }

    RunRequest request;
    request.split_choice = split.SelectedText();
    request.custom_split_mb = split.CustomSizeMb();
    request.output_folder = app.OutputFolder();
    request.program_folder = m_program_folder;
    request.merge = options.merge;
    request.current_profile = state.current_profile;
    request.total_estimated_mb = state.total_size_mb;
    request.kept_batch = queue ? &queue->Store() : nullptr;
    RunOutcome outcome;
    if (!CliFrontEnd::Interrupted())
        outcome = driver.Convert(tasks, request);
    for (const TaskResult &result : outcome.results) {
        if (result.made_earlier) {
            const std::string name(platform::FileNameOf(result.source));
            std::fprintf(stderr, "quillet-cli: %s: %s\n", name.c_str(), result.reason.c_str());
        }
    }
    if (queue) {
        front.SetKeptBatch(nullptr);
        std::string error;
        if (!queue->Close(error))
            std::fprintf(stderr, "quillet-cli: the queue %s could not be written: %s\n",
                         queue->Store().FilePath().c_str(), error.c_str());
    }
    front.PrintResults(outcome.results);

    if (const int signal = CliFrontEnd::InterruptSignal())
        return signal == SIGINT ? kCancelled : 128 + signal;
    if (outcome.cancelled)
        return kCancelled;
    if (!outcome.started || !outcome.failures.empty())
        return kSomeFailed;
    return kAllConverted;
}

} // namespace quillet::cli
