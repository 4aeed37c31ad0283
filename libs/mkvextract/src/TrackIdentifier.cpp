// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackIdentifier.h"

#include "JsonReader.h"
#include "MatroskaLayout.h"
#include "MkvError.h"
#include "ToolProcess.h"
#include "TrackHeaderReader.h"
#include "mkvextract.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace mkvextract {

namespace {

// The report carries every track's codec private data in hex; a file with large private data
// or many attachments gives megabytes. Beyond this something is wrong with the tool.
constexpr std::size_t kReportLimitBytes = 64u << 20;

std::int32_t TrackType(std::string_view type)
{
    if (type == "video")
        return EM_TRACK_VIDEO;
    if (type == "audio")
        return EM_TRACK_AUDIO;
    if (type == "subtitles")
        return EM_TRACK_SUBTITLE;
    return EM_TRACK_OTHER;
}

std::string_view TextMember(const JsonValue *object, std::string_view name)
{
    const JsonValue *value = object ? object->Find(name) : nullptr;
    return value ? value->Text() : std::string_view();
}

[[noreturn]] void Refuse(const std::string &path, const std::string &why)
{
    throw MkvError(MkvFailure::Unreadable, path + ": " + why);
}

void RequireRegularFile(const std::string &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        Refuse(path, std::strerror(errno));
    // A FIFO or device would leave mkvmerge waiting for input forever on the caller's thread.
    if (!S_ISREG(info.st_mode))
        Refuse(path, "not a regular file");
}

TrackRecord ReadTrack(const std::string &path, const JsonValue &track)
{
    const JsonValue *id = track.Find("id");
    auto number = id ? id->AsInt64() : std::nullopt;
    if (!number || *number < 0 || *number > std::numeric_limits<std::int32_t>::max())
        Refuse(path, "mkvmerge reported a track without a usable id");
    const JsonValue *properties = track.Find("properties");
    TrackRecord record;
    record.id = static_cast<std::int32_t>(*number);
    record.type = TrackType(TextMember(&track, "type"));
    record.codec_id = TextMember(properties, "codec_id");
    record.language = TextMember(properties, "language");
    if (record.language.empty())
        record.language = TextMember(properties, "language_ietf");
    record.name = TextMember(properties, "track_name");
    return record;
}

} // namespace

std::string TrackIdentifier::SafeArgument(const std::string &path)
{
    return path.starts_with('/') ? path : "./" + path;
}

std::vector<TrackRecord> TrackIdentifier::Identify(const std::string &path)
{
    RequireRegularFile(path);
    if (auto tracks = TrackHeaderReader::Read(path))
        return std::move(*tracks);
    return IdentifyWithMkvmerge(path);
}

std::vector<TrackRecord> TrackIdentifier::IdentifyWithMkvmerge(const std::string &path)
{
    RequireRegularFile(path);

    quillet::platform::ChildProcess mkvmerge = StartTool({"mkvmerge", "-J", SafeArgument(path)});
    const std::optional<std::string> report = mkvmerge.ReadAll(kReportLimitBytes);
    if (!report)
        Refuse(path, "mkvmerge wrote more than expected");
    const int exit_status = mkvmerge.Wait();
    // 1 means warnings only; the report is complete.
    if (exit_status != 0 && exit_status != 1)
        Refuse(path,
               "mkvmerge could not identify the file (exit status " + std::to_string(exit_status)
                   + ")");

    const JsonValue root = JsonReader::Parse(*report);
    if (!root.IsObject())
        Refuse(path, "mkvmerge's report is not an object");
    if (const JsonValue *errors = root.Find("errors"); errors && !errors->Items().empty())
        Refuse(path, "mkvmerge: " + std::string(errors->Items().front().Text()));

    const JsonValue *container = root.Find("container");
    const JsonValue *recognized = container ? container->Find("recognized") : nullptr;
    if (!recognized || recognized->AsBool() != true)
        Refuse(path, "not a file mkvmerge recognises");
    const std::string_view container_type = TextMember(container, "type");
    if (container_type != "Matroska" && container_type != "WebM")
        Refuse(path, "not a Matroska file (" + std::string(container_type) + ")");

    const MatroskaLayout layout = MatroskaLayout::Scan(path);
    if (layout.scanned && layout.cut_short && !layout.track_list_complete)
        Refuse(path, "the file ends inside its track list");

    std::vector<TrackRecord> tracks;
    if (const JsonValue *list = root.Find("tracks")) {
        for (const JsonValue &track : list->Items())
            tracks.push_back(ReadTrack(path, track));
    }
    return tracks;
}

} // namespace mkvextract
