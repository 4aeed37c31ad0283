// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ArgumentBuilder.h"

#include "core/FrameSizes.h"
#include "core/OptionText.h"
#include "core/SplitPresets.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "platform/TextCase.h"

#include <cctype>
#include <cstdio>

namespace quillet {

namespace {

std::string Format(const char *format, auto... values)
{
    char text[64];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string Int(int value)
{
    return std::to_string(value);
}

int RoundUpTo16(int v)
{
    return (v + 15) / 16 * 16;
}

void AppendTokens(ArgumentVector &args, std::string_view text)
{
    for (auto token : SplitOptionString(text))
        args.Append(token);
}

/// The value written after "-fs" for a split entry; empty when the entry has none.
std::string SplitValue(const BuildContext &context, bool reduce_for_disc)
{
    if (const auto *preset = split::FindDiscPreset(context.split_choice)) {
        int64_t limit = preset->limit_kib;
        if (reduce_for_disc) {
            // Later outputs of a disc run share the disc with the earlier ones.
            int64_t reduced = limit - context.running_output_total_kib;
            if (reduced > 0)
                limit = reduced;
        }
        return std::to_string(limit);
    }
    if (context.split_choice == split::kCustom)
        return std::to_string(static_cast<int64_t>(context.custom_split_mb) * 1000);
    return {};
}

/// Para's tokens with "-fs" replaced by the split limit. With "No split" chosen, "-fs" and every
/// token after it are dropped.
void AppendPara(ArgumentVector &args, std::string_view para, const BuildContext &context,
                bool reduce_for_disc)
{
    for (auto token : SplitOptionString(para)) {
        if (token != "-fs") {
            args.Append(token);
            continue;
        }
        if (context.split_choice == split::kNoSplit)
            return;
        args.Append("-fs");
        std::string value = SplitValue(context, reduce_for_disc);
        if (!value.empty())
            args.Append(value);
    }
}

/// The output's name from its candidates, through the context's chooser or else the first
/// candidate that names no file.
OutputChoice ChooseOutput(const BuildContext &context,
                          const std::function<std::string(unsigned)> &numbered)
{
    if (context.choose_output)
        return context.choose_output(numbered);
    const FileExistsFn exists = context.file_exists
        ? context.file_exists
        : [](const std::string &path) { return platform::PathExists(path); };
    for (unsigned n = 0;; ++n) {
        std::string candidate = numbered(n);
        if (!exists(candidate))
            return {candidate, candidate, {}};
    }
}

} // namespace

std::string SizeValue(const ProfileRecord &r)
{
    const int choice = r.nVideoRiszeOption;
    if (choice < 1 || choice > 11)
        return {};
    const bool pad = r.bVideoEnablePad != 0;
    int width, height;
    if (choice == 9) {
        width = RoundUpTo16(r.nVideoCustomSizeX);
        height = RoundUpTo16(r.nVideoCustomSizeY);
    } else {
        const std::optional<NamedFrame> size = NamedFrameOf(choice);
        if (!size)
            return {};
        if (!pad)
            return std::string(size->engine_name);
        width = size->width;
        height = size->height;
    }
    if (pad) {
        // The pads are added around the scaled picture, so the final frame keeps the chosen size.
        width -= r.nVideoPadLeft + r.nVideoPadRight;
        height -= r.nVideoPadTop + r.nVideoPadBottom;
    }
    return Format("%dx%d", width, height);
}

void AppendProfileOptions(ArgumentVector &args, const ProfileRecord &r)
{
    if (r.bDisableAudio)
        args.Append("-an");
    if (r.bAudioCustomSampleRate) {
        args.Append("-ar");
        args.Append(Int(r.nAudioCustomSampleRate));
    }
    if (r.nAudioChannel != 0) {
        args.Append("-ac");
        args.Append(Int(r.nAudioChannel));
    }
    if (r.bAudioCustomVolume) {
        args.Append("-vol");
        args.Append(Int(r.nAudioVolume));
    }
    if (r.bAudioCustomBitRate) {
        args.Append("-ab");
        args.Append(platform::FormatFixed(static_cast<double>(r.nAudioCustomBitRate), 6));
    }
    if (r.bDisableVideo)
        args.Append("-vn");
    if (r.bVideoHighQuality)
        args.Append("-hq");
    if (r.bVideoCustomFrameRate) {
        args.Append("-r");
        args.Append(platform::FormatFixed(static_cast<double>(r.nVideoCustomFrameRate), 3));
    }
    args.Append("-b");
    args.Append(Int(r.bVideoCustomBitRate ? r.nVideoCustomBitRate : r.estimated_video_bit_rate));
    if (!platform::EqualsIgnoringCase(r.cAudioCodec, "auto")) {
        args.Append("-acodec");
        args.Append(r.cAudioCodec);
    }
    if (!platform::EqualsIgnoringCase(r.cVideoCodec, "auto")) {
        args.Append("-vcodec");
        args.Append(r.cVideoCodec);
    }
    if (r.bVideoEnableCrop) {
        args.Append("-croptop");
        args.Append(Int(r.nVideoCropTop));
        args.Append("-cropbottom");
        args.Append(Int(r.nVideoCropBottom));
        args.Append("-cropleft");
        args.Append(Int(r.nVideoCropLeft));
        args.Append("-cropright");
        args.Append(Int(r.nVideoCropRight));
    }
    if (r.bVideoEnablePad) {
        args.Append("-padtop");
        args.Append(Int(r.nVideoPadTop));
        args.Append("-padbottom");
        args.Append(Int(r.nVideoPadBottom));
        args.Append("-padleft");
        args.Append(Int(r.nVideoPadLeft));
        args.Append("-padright");
        args.Append(Int(r.nVideoPadRight));
        args.Append("-padcolor");
        args.Append(Format("0x%x", static_cast<unsigned>(r.nVideoPadColor)));
    }
    if (r.nVideoRiszeOption != 0) {
        args.Append("-s");
        std::string size = SizeValue(r);
        if (!size.empty())
            args.Append(size);
    }
    if (r.nAspect != 0) {
        args.Append("-aspect");
        args.Append(r.nAspect == 1 ? "4:3" : "16:9");
    }
}

bool IsDiscFamily(std::string_view profile_path, bool same_profile)
{
    std::string_view name = platform::StemOf(profile_path);
    auto has = [&](std::string_view part) { return name.find(part) != std::string_view::npos; };
    return has("avchd") || has("dvd") || has("blu-ray") || (has("divxavi") && same_profile);
}

BuildResult BuildTaskArguments(Task &task, const BuildContext &context)
{
    BuildResult result;
    ArgumentVector &args = result.args;
    const ProfileRecord &r = task.settings;

    args.Append("ffmain");
    const int64_t media_start_us = task.context.start_time_us;
    if (task.trim_start.IsSet()) {
        args.Append("-ss");
        args.Append(TimeText(task.trim_start.us - media_start_us));
    }
    if (task.trim_end.IsSet()) {
        args.Append("-t");
        args.Append(TimeText(task.trim_end.us
                             - (task.trim_start.IsSet() ? task.trim_start.us : media_start_us)));
    }
    AppendTokens(args, r.BeforePara);
    args.Append("-i");
    args.Append(task.source_path);
    if (!task.subtitle_path.empty()) {
        args.Append("-vhook");
        args.Append("SubTitleHook -f " + task.subtitle_path);
    }
    AppendPara(args, r.Para, context,
               IsDiscFamily(context.current_profile_path, context.same_profile));
    AppendProfileOptions(args, r);
    if (!r.bDisableVideo && task.HasVideo()) {
        args.Append("-map");
        args.Append("0:" + Int(task.context.video_stream_index));
    }
    int extra_tracks = 0;
    if (!r.bDisableAudio) {
        bool first = true;
        for (const auto &track : task.audio_tracks) {
            if (!track.selected)
                continue;
            int index = task.AudioStreamIndex(track.ordinal);
            if (index < 0)
                continue;
            args.Append("-map");
            args.Append("0:" + Int(index));
            if (!first)
                ++extra_tracks;
            first = false;
        }
    }

    const std::string wanted = task.destination_path;
    // By value: a chooser may keep the sequence for later names (a claim that must move on).
    const OutputChoice choice
        = ChooseOutput(context, [wanted, source = task.source_path](unsigned n) {
              return NumberedOutputPath(wanted, source, n);
          });
    if (!choice.error.empty()) {
        result.error = choice.error;
        return result;
    }
    task.destination_path = choice.final_path;
    result.output_path = choice.final_path;
    result.engine_output_path = choice.engine_path;
    args.Append(choice.engine_path);

    // Each extra track becomes one more audio stream of the output, as AC-3 stereo.
    for (int i = 0; i < extra_tracks; ++i) {
        for (const char *entry :
             {"-acodec", "ac3", "-ar", "48000", "-ab", "448", "-ac", "2", "-newaudio"})
            args.Append(entry);
    }
    return result;
}

BuildResult BuildMergedArguments(const TaskList &tasks, const ProfileRecord &current,
                                 const BuildContext &context)
{
    BuildResult result;
    ArgumentVector &args = result.args;

    args.Append("ffmain");
    AppendTokens(args, current.BeforePara);
    for (const auto &task : tasks) {
        args.Append("-ivs");
        args.Append((task->route_flag ? "&new &dshow &file " : "&new &file ") + task->source_path);
        args.Append("-ias");
        args.Append("&file " + task->source_path);
    }
    AppendPara(args, current.Para, context, false);
    AppendProfileOptions(args, current);

    // Named after the first file joined, so it is found beside that file's own output:
    // "clip (joined).mp4", then "clip (joined) (1).mp4"; a merged output never replaces a file.
    const std::string first = tasks.Count() > 0 ? tasks.Get(0)->source_path : std::string();
    const std::string path = context.output_folder + std::string(platform::StemOf(first))
        + " (joined)." + std::string(current.TargetType.view());
    const OutputChoice choice
        = ChooseOutput(context, [path](unsigned n) { return NumberedOutputPath(path, path, n); });
    if (!choice.error.empty()) {
        result.output_path = path;
        result.error = choice.error;
        return result;
    }
    result.output_path = choice.final_path;
    result.engine_output_path = choice.engine_path;
    args.Append(choice.engine_path);
    return result;
}

} // namespace quillet
