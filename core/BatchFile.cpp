// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the kept batch's file (reading it: BatchFileRead.cpp).
#include "core/BatchFile.h"

#include "core/JsonText.h"
#include "core/ProfileFields.h"

#include <cstdio>
#include <cstring>

namespace quillet::batch_file {

namespace {

template<std::size_t N> std::string_view FieldText(const char (&field)[N])
{
    return {field, strnlen(field, N)};
}

class ProfileWriter
{
public:
    explicit ProfileWriter(JsonText &out)
        : m_out(out)
    { }
    template<std::size_t N> void operator()(const char *key, const FixedString<N> &value)
    {
        m_out.Member(key, value.view());
    }
    void operator()(const char *key, int32_t value) { m_out.Member(key, value); }
    void operator()(const char *key, float value) { m_out.Member(key, value); }

private:
    JsonText &m_out;
};

void WriteProfile(JsonText &out, const ProfileRecord &record)
{
    out.Open('{');
    VisitProfile(record, ProfileWriter(out));
    out.Close('}');
}

void WriteTrim(JsonText &out, const TrimPoint &trim)
{
    out.Open('{').Member("us", trim.us).Member("unset", trim.unset).Close('}');
}

void WriteMedia(JsonText &out, const Task &task)
{
    const MediaContext &ctx = task.context;
    out.Open('{')
        .Member("probed", !task.streams.NeverProbed())
        .Member("file_name", FieldText(ctx.file_name))
        .Member("duration_us", ctx.duration_us)
        .Member("start_time_us", ctx.start_time_us)
        .Member("bit_rate", ctx.bit_rate)
        .Member("stream_count", ctx.stream_count)
        .Member("audio_stream_count", ctx.audio_stream_count)
        .Member("video_stream_index", ctx.video_stream_index)
        .Key("streams");
    if (const StreamInfo *array = task.streams.Get(); array && ctx.stream_count > 0) {
        out.Open('[');
        for (int i = 0; i < ctx.stream_count; ++i) {
            const StreamInfo &s = array[i];
            out.Open('{')
                .Member("kind", s.kind)
                .Member("description", FieldText(s.description))
                .Member("height", s.height)
                .Member("width", s.width)
                .Member("display_aspect", s.display_aspect)
                .Close('}');
        }
        out.Close(']');
    } else {
        out.Null();
    }
    out.Member("source_width", task.source_width)
        .Member("source_height", task.source_height)
        .Member("source_display_aspect", task.source_display_aspect)
        .Member("start_time_s", task.start_time_s)
        .Member("duration_s", task.duration_s)
        .Member("bit_rate_kbps", task.bit_rate_kbps)
        .Member("information", task.information.view())
        .Member("video_description", task.video_description.view())
        .Close('}');
}

void WriteTask(JsonText &out, const Task &task)
{
    out.Member("source", task.source_path)
        .Member("destination", task.destination_path)
        .Member("route_flag", task.route_flag);
    WriteTrim(out.Key("trim_start"), task.trim_start);
    WriteTrim(out.Key("trim_end"), task.trim_end);
    WriteMedia(out.Key("media"), task);
    out.Key("audio_tracks").Open('[');
    for (const AudioTrack &track : task.audio_tracks)
        out.Open('{')
            .Member("ordinal", track.ordinal)
            .Member("selected", track.selected)
            .Member("description", track.description.view())
            .Close('}');
    out.Close(']');
    out.Key("subtitle").Open('{').Member("path", task.subtitle_path).Key("candidates").Open('[');
    for (const std::string &candidate : task.subtitle_candidates)
        out.Text(candidate);
    out.Close(']').Close('}');
    out.Member("aspect_index", task.aspect_index);
    WriteProfile(out.Key("profile"), task.settings);
    out.Member("preparation_failure", task.preparation_failure);
}

void WriteRun(JsonText &out, const RunFacts &run)
{
    out.Open('{').Member("running", run.running).Key("claimed");
    if (run.claimed)
        out.Open('{')
            .Member("path", run.claimed->path)
            .Member("recipe", run.claimed->recipe)
            .Close('}');
    else
        out.Null();
    out.Key("made");
    if (run.made)
        out.Open('{')
            .Member("path", run.made->path)
            .Member("size", run.made->size_bytes)
            .Member("recipe", run.made->recipe)
            .Close('}');
    else
        out.Null();
    out.Key("result");
    if (run.result)
        out.Open('{')
            .Member("source", run.result->source)
            .Member("output", run.result->output)
            .Member("status", StatusName(run.result->status))
            .Member("reason", run.result->reason)
            .Member("seconds", run.result->seconds)
            .Close('}');
    else
        out.Null();
    out.Close('}');
}

void WriteStamp(JsonText &out, const std::optional<platform::FileStamp> &stamp)
{
    if (!stamp) {
        out.Null();
        return;
    }
    out.Open('{')
        .Member("size", stamp->size_bytes)
        .Member("modified_ns", stamp->modified_ns)
        .Member("regular", stamp->regular)
        .Close('}');
}

/// FNV-1a, 64 bits: stable across builds and machines, unlike std::hash.
uint64_t Fnv1a(std::string_view text)
{
    uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    return hash;
}

} // namespace

std::string_view PhaseName(BatchPhase phase)
{
    switch (phase) {
    case BatchPhase::Idle:
        return "idle";
    case BatchPhase::Running:
        return "running";
    case BatchPhase::Finished:
        return "finished";
    }
    return "idle";
}

std::string Encode(const KeptBatch &batch)
{
    JsonText out;
    out.Open('{')
        .Member("format", kFormatName)
        .Member("version", kFormatVersion)
        .Member("phase", PhaseName(batch.phase))
        .Key("tasks")
        .Open('[');
    for (const KeptTask &kept : batch.tasks) {
        // One task a line: the file stays readable and comparable at little cost in size.
        out.LineBreak().Open('{');
        WriteTask(out, *kept.task);
        WriteStamp(out.Key("source_stamp"), kept.source_stamp);
        WriteRun(out.Key("run"), kept.run);
        out.Close('}');
    }
    out.EndLine().Close(']').Close('}');
    std::string text = out.Take();
    text += '\n';
    return text;
}

namespace {

/// The settings as they shape an output: where they came from and their name make no difference
/// to it, and leaving them out keeps a made output done when the program's profile folder moves
/// (an upgrade).
void WriteShapingProfile(JsonText &out, const ProfileRecord &record)
{
    ProfileRecord settings = record;
    settings.profile_path = "";
    settings.section_name = "";
    WriteProfile(out, settings);
}

std::string Hashed(const JsonText &out)
{
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(Fnv1a(out.Str())));
    return text;
}

} // namespace

std::string RecipeOf(const Task &task)
{
    JsonText out;
    out.Open('{').Member("source", task.source_path).Member("route_flag", task.route_flag);
    WriteTrim(out.Key("trim_start"), task.trim_start);
    WriteTrim(out.Key("trim_end"), task.trim_end);
    out.Key("audio").Open('[');
    for (const AudioTrack &track : task.audio_tracks)
        out.Open('[').Int(track.ordinal).Int(track.selected).Close(']');
    out.Close(']').Member("subtitle", task.subtitle_path).Member("aspect_index", task.aspect_index);
    WriteShapingProfile(out.Key("profile"), task.settings);
    out.Close('}');
    return Hashed(out);
}

std::string MergedRecipeOf(const TaskList &tasks, const ProfileRecord &profile)
{
    JsonText out;
    out.Open('{').Key("merged").Open('[');
    for (const auto &task : tasks)
        out.Text(RecipeOf(*task));
    out.Close(']');
    WriteShapingProfile(out.Key("profile"), profile);
    out.Close('}');
    return Hashed(out);
}

} // namespace quillet::batch_file
