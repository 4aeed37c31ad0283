// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/SubtitleOffer.h"

#include "platform/Paths.h"
#include "platform/TextCase.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace quillet {

namespace {

/// Frees the track information however the offer ends.
struct TrackInfoOwner
{
    const MatroskaBinding &binding;
    EmTrackInfo *info = nullptr;
    ~TrackInfoOwner()
    {
        if (info)
            binding.FreeTrackInfo(info);
    }
};

/// Clears the current progress window and closes it however extraction ends.
struct ProgressScope
{
    std::unique_ptr<ExtractionProgress> window;
    ~ProgressScope()
    {
        if (window && MatroskaBinding::CurrentProgress() == window.get())
            MatroskaBinding::SetCurrentProgress(nullptr);
    }
};

} // namespace

std::string SubtitleExtension(std::string_view codec)
{
    const std::string upper = platform::ToUpper(codec);
    // Found only after the first character: a name that starts with one of these is not it.
    auto found_after_start = [&](const char *part) {
        auto at = upper.find(part);
        return at != std::string::npos && at > 0;
    };
    if (found_after_start("VOBSUB"))
        return ".idx";
    if (found_after_start("SSA"))
        return ".ssa";
    if (found_after_start("ASS"))
        return ".ass";
    if (found_after_start("USF"))
        return ".usf";
    return ".srt";
}

SubtitleOfferOutcome OfferSubtitles(Task &task, const MatroskaBinding &binding, Prompter &prompter,
                                    const std::string &output_folder,
                                    const ProgressWindowFactory &make_progress,
                                    const FileExistsFn &exists)
{
    const std::string &source = task.source_path;
    if (!platform::EndsWithIgnoringCase(source, "MKV") || !binding.Loaded())
        return SubtitleOfferOutcome::NotOffered;

    TrackInfoOwner owner{binding};
    if (binding.GetTrackInfo(source.c_str(), &owner.info) != 0 || !owner.info)
        return SubtitleOfferOutcome::TracksUnreadable;

    std::vector<const EmTrack *> subtitles;
    for (int i = 0; i < owner.info->count; ++i) {
        const EmTrack *track = owner.info->tracks ? owner.info->tracks[i] : nullptr;
        if (track && track->type == EM_TRACK_SUBTITLE)
            subtitles.push_back(track);
    }
    if (subtitles.empty())
        return SubtitleOfferOutcome::NotOffered;
    if (!prompter.Ask(kSubtitleOfferQuestion, {}))
        return SubtitleOfferOutcome::Declined;

    std::vector<EmExtractItem> items;
    std::vector<std::string> too_long;
    const std::string stem(platform::StemOf(source));
    for (std::size_t i = 0; i < subtitles.size(); ++i) {
        const EmTrack &track = *subtitles[i];
        const std::string codec(track.codec, strnlen(track.codec, sizeof track.codec));
        const std::string name = stem + "_" + std::to_string(i);
        const std::string wanted = output_folder + name + SubtitleExtension(codec);
        // An earlier file of that name stays: the track gets " (N)" instead.
        const std::string path = MakeUniqueOutputPath(wanted, name, exists);
        EmExtractItem item = {};
        if (path.size() >= sizeof item.output_path) {
            too_long.push_back(path);
            continue;
        }
        std::memcpy(item.output_path, path.c_str(), path.size() + 1);
        item.track = track.number;
        items.push_back(item);
    }

    ProgressScope progress;
    if (!MatroskaBinding::CurrentProgress() && make_progress) {
        progress.window = make_progress();
        MatroskaBinding::SetCurrentProgress(progress.window.get());
    }
    binding.SetCallback(&MatroskaBinding::ForwardProgress);
    EmExtractRequest request{static_cast<int32_t>(items.size()), items.data()};
    if (!items.empty())
        binding.Extract(source.c_str(), &request);

    std::string missing;
    bool first = true;
    for (const auto &item : items) {
        const std::string path = item.output_path;
        if (!exists(path)) {
            missing += "\n" + path;
            continue;
        }
        if (first)
            task.subtitle_path = path;
        first = false;
        task.subtitle_candidates.push_back(path);
    }
    for (const auto &path : too_long)
        missing += "\n" + path;
    if (missing.empty())
        return SubtitleOfferOutcome::Extracted;
    prompter.Tell("These subtitle tracks could not be extracted:" + missing);
    return SubtitleOfferOutcome::SomeNotExtracted;
}

} // namespace quillet
