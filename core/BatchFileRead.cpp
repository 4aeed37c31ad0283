// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the kept batch's file: every member checked, the file refused whole at the first fault.
#include "core/BatchFile.h"

#include "core/ProfileFields.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace quillet::batch_file {

namespace {

using Json = nlohmann::json;

// ---- Reading, with the place of every fault

class DamagedError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// One JSON object being read; each accessor refuses a missing member or one of the wrong type
/// or range, naming where it is.
class Reader
{
public:
    Reader(const Json &value, std::string where)
        : m_object(value)
        , m_where(std::move(where))
    {
        if (!value.is_object())
            throw DamagedError(m_where + ": not an object");
    }

    std::string Where(std::string_view key) const { return m_where + "." + std::string(key); }

    const Json &Member(std::string_view key) const
    {
        const auto it = m_object.find(key);
        if (it == m_object.end())
            throw DamagedError(Where(key) + ": missing");
        return *it;
    }
    bool IsNull(std::string_view key) const { return Member(key).is_null(); }
    Reader Object(std::string_view key) const { return {Member(key), Where(key)}; }
    const Json &Array(std::string_view key) const
    {
        const Json &value = Member(key);
        if (!value.is_array())
            throw DamagedError(Where(key) + ": not a list");
        return value;
    }

    static std::string TextOf(const Json &value, const std::string &where)
    {
        std::string text;
        if (value.is_string()) {
            text = value.get<std::string>();
        } else if (value.is_object() && value.size() == 1 && value.contains("bytes")
                   && value["bytes"].is_string()) {
            text = FromHex(value["bytes"].get<std::string>(), where);
        } else {
            throw DamagedError(where + ": not a text");
        }
        // No text the program keeps holds a NUL; one would cut a path to another file's name.
        if (text.find('\0') != std::string::npos)
            throw DamagedError(where + ": holds a NUL");
        return text;
    }
    std::string Text(std::string_view key) const { return TextOf(Member(key), Where(key)); }

    bool Bool(std::string_view key) const
    {
        const Json &value = Member(key);
        if (!value.is_boolean())
            throw DamagedError(Where(key) + ": not true or false");
        return value.get<bool>();
    }
    int64_t Int64(std::string_view key) const
    {
        return Integer(key, std::numeric_limits<int64_t>::min(),
                       std::numeric_limits<int64_t>::max());
    }
    int32_t Int32(std::string_view key) const
    {
        return static_cast<int32_t>(
            Integer(key, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    }
    uint64_t Uint64(std::string_view key) const
    {
        const Json &value = Member(key);
        if (value.is_number_unsigned())
            return value.get<uint64_t>();
        throw DamagedError(Where(key) + ": not a size");
    }
    double Double(std::string_view key) const
    {
        const Json &value = Member(key);
        if (value.is_number())
            return value.get<double>();
        if (value.is_string()) {
            const std::string text = value.get<std::string>();
            if (text == "nan")
                return std::numeric_limits<double>::quiet_NaN();
            if (text == "inf")
                return std::numeric_limits<double>::infinity();
            if (text == "-inf")
                return -std::numeric_limits<double>::infinity();
        }
        throw DamagedError(Where(key) + ": not a number");
    }
    float Float(std::string_view key) const { return static_cast<float>(Double(key)); }

private:
    int64_t Integer(std::string_view key, int64_t low, int64_t high) const
    {
        const Json &value = Member(key);
        if (value.is_number_unsigned()) {
            const auto v = value.get<uint64_t>();
            if (v <= static_cast<uint64_t>(high))
                return static_cast<int64_t>(v);
        } else if (value.is_number_integer()) {
            const auto v = value.get<int64_t>();
            if (v >= low && v <= high)
                return v;
        } else {
            throw DamagedError(Where(key) + ": not a whole number");
        }
        throw DamagedError(Where(key) + ": out of range");
    }

    static std::string FromHex(const std::string &hex, const std::string &where)
    {
        const auto digit = [&](char c) -> int {
            if (c >= '0' && c <= '9')
                return c - '0';
            if (c >= 'a' && c <= 'f')
                return c - 'a' + 10;
            throw DamagedError(where + ": bad bytes");
        };
        if (hex.size() % 2 != 0)
            throw DamagedError(where + ": bad bytes");
        std::string text;
        text.reserve(hex.size() / 2);
        for (std::size_t i = 0; i < hex.size(); i += 2)
            text += static_cast<char>(digit(hex[i]) * 16 + digit(hex[i + 1]));
        return text;
    }

    const Json &m_object;
    std::string m_where;
};

class ProfileReader
{
public:
    explicit ProfileReader(const Reader &in)
        : m_in(in)
    { }
    template<std::size_t N> void operator()(const char *key, FixedString<N> &value) const
    {
        value = m_in.Text(key);
    }
    void operator()(const char *key, int32_t &value) const { value = m_in.Int32(key); }
    void operator()(const char *key, float &value) const { value = m_in.Float(key); }

private:
    const Reader &m_in;
};

TrimPoint ReadTrim(const Reader &in)
{
    return {in.Int64("us"), in.Int32("unset")};
}

template<std::size_t N> void ReadField(char (&field)[N], const std::string &text)
{
    // The engine's fields are read with strnlen: a full field needs no terminator.
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N);
}

void ReadMedia(const Reader &in, Task &task)
{
    MediaContext &ctx = task.context;
    ReadField(ctx.file_name, in.Text("file_name"));
    ctx.duration_us = in.Int64("duration_us");
    ctx.start_time_us = in.Int64("start_time_us");
    ctx.bit_rate = in.Int32("bit_rate");
    ctx.stream_count = in.Int32("stream_count");
    ctx.audio_stream_count = in.Int32("audio_stream_count");
    ctx.video_stream_index = in.Int32("video_stream_index");
    const bool probed = in.Bool("probed");
    if (!in.IsNull("streams")) {
        const Json &list = in.Array("streams");
        // Every reader of the array walks context.stream_count entries.
        if (list.size() != static_cast<std::size_t>(ctx.stream_count) || list.empty())
            throw DamagedError(in.Where("streams") + ": not stream_count entries");
        auto *array = static_cast<StreamInfo *>(std::calloc(list.size(), sizeof(StreamInfo)));
        if (!array)
            throw DamagedError(in.Where("streams") + ": out of memory");
        *task.streams.Receive() = array;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Reader s(list[i], in.Where("streams") + "[" + std::to_string(i) + "]");
            array[i].kind = s.Int32("kind");
            ReadField(array[i].description, s.Text("description"));
            array[i].height = s.Int32("height");
            array[i].width = s.Int32("width");
            array[i].display_aspect = s.Float("display_aspect");
        }
    } else if (probed) {
        task.streams.Reset();
    }
    task.source_width = in.Int32("source_width");
    task.source_height = in.Int32("source_height");
    task.source_display_aspect = in.Float("source_display_aspect");
    task.start_time_s = in.Float("start_time_s");
    task.duration_s = in.Float("duration_s");
    task.bit_rate_kbps = in.Int32("bit_rate_kbps");
    task.information = in.Text("information");
    task.video_description = in.Text("video_description");
}

std::vector<std::string> ReadTextList(const Reader &in, std::string_view key)
{
    std::vector<std::string> texts;
    const Json &list = in.Array(key);
    for (std::size_t i = 0; i < list.size(); ++i)
        texts.push_back(Reader::TextOf(list[i], in.Where(key) + "[" + std::to_string(i) + "]"));
    return texts;
}

void ReadAudioTracks(const Reader &in, Task &task)
{
    const Json &list = in.Array("audio_tracks");
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Reader t(list[i], in.Where("audio_tracks") + "[" + std::to_string(i) + "]");
        task.audio_tracks.push_back(
            {t.Int32("ordinal"), t.Int32("selected"), t.Text("description")});
    }
}

std::unique_ptr<Task> ReadTask(const Reader &in)
{
    auto task = std::make_unique<Task>();
    task->source_path = in.Text("source");
    if (task->source_path.empty())
        throw DamagedError(in.Where("source") + ": empty");
    task->destination_path = in.Text("destination");
    task->route_flag = in.Int32("route_flag");
    task->trim_start = ReadTrim(in.Object("trim_start"));
    task->trim_end = ReadTrim(in.Object("trim_end"));
    ReadMedia(in.Object("media"), *task);
    ReadAudioTracks(in, *task);
    const Reader subtitle = in.Object("subtitle");
    task->subtitle_path = subtitle.Text("path");
    task->subtitle_candidates = ReadTextList(subtitle, "candidates");
    task->aspect_index = in.Int32("aspect_index");
    VisitProfile(task->settings, ProfileReader(in.Object("profile")));
    task->preparation_failure = in.Text("preparation_failure");
    return task;
}

TaskResult ReadResult(const Reader &in)
{
    TaskResult result;
    result.source = in.Text("source");
    result.output = in.Text("output");
    const std::string status = in.Text("status");
    bool known = false;
    for (const auto s : {TaskResult::Status::Made, TaskResult::Status::Failed,
                         TaskResult::Status::PostProcessFailed, TaskResult::Status::Cancelled}) {
        if (status == StatusName(s)) {
            result.status = s;
            known = true;
        }
    }
    if (!known)
        throw DamagedError(in.Where("status") + ": unknown");
    result.reason = in.Text("reason");
    result.seconds = in.Double("seconds");
    return result;
}

RunFacts ReadRun(const Reader &in)
{
    RunFacts run;
    run.running = in.Bool("running");
    if (!in.IsNull("claimed")) {
        const Reader claimed = in.Object("claimed");
        run.claimed = ClaimedOutput{claimed.Text("path"), claimed.Text("recipe")};
    }
    if (!in.IsNull("made")) {
        const Reader made = in.Object("made");
        run.made = MadeOutput{made.Text("path"), made.Uint64("size"), made.Text("recipe")};
    }
    if (!in.IsNull("result"))
        run.result = ReadResult(in.Object("result"));
    return run;
}

std::optional<platform::FileStamp> ReadStamp(const Reader &in)
{
    if (in.IsNull("source_stamp"))
        return std::nullopt;
    const Reader stamp = in.Object("source_stamp");
    return platform::FileStamp{stamp.Uint64("size"), stamp.Int64("modified_ns"),
                               stamp.Bool("regular")};
}

} // namespace

Decoded Decode(std::string_view text)
{
    Decoded decoded;
    const Json file = Json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (file.is_discarded()) {
        decoded.reason = "not JSON";
        return decoded;
    }
    try {
        const Reader top(file, "batch");
        if (top.Text("format") != kFormatName)
            throw DamagedError("batch.format: not a kept batch");
        const int64_t version = top.Int64("version");
        if (version > kFormatVersion) {
            decoded.status = Decoded::Status::Newer;
            decoded.reason = "version " + std::to_string(version);
            return decoded;
        }
        if (version < 1)
            throw DamagedError("batch.version: out of range");
        const std::string phase = top.Text("phase");
        bool known = false;
        for (const auto value : {BatchPhase::Idle, BatchPhase::Running, BatchPhase::Finished}) {
            if (phase == PhaseName(value)) {
                decoded.batch.phase = value;
                known = true;
            }
        }
        if (!known)
            throw DamagedError("batch.phase: unknown");
        const Json &tasks = top.Array("tasks");
        decoded.batch.tasks.reserve(tasks.size());
        for (std::size_t i = 0; i < tasks.size(); ++i) {
            const Reader in(tasks[i], "batch.tasks[" + std::to_string(i) + "]");
            KeptTask kept;
            kept.task = ReadTask(in);
            kept.source_stamp = ReadStamp(in);
            kept.run = ReadRun(in.Object("run"));
            decoded.batch.tasks.push_back(std::move(kept));
        }
    } catch (const DamagedError &error) {
        decoded.batch = {};
        decoded.reason = error.what();
        return decoded;
    }
    decoded.status = Decoded::Status::Ok;
    return decoded;
}

} // namespace quillet::batch_file
