// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackIdentifier.h"

#include "MatroskaLayout.h"
#include "MkvError.h"
#include "ToolProcess.h"
#include "TrackHeaderReader.h"
#include "mkvextract.h"

#include <nlohmann/json.hpp>

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

using Json = nlohmann::json;

/// The text of a string member; empty when the member is absent or not a string.
std::string TextMember(const Json &object, const char *name)
{
    if (!object.is_object())
        return {};
    const auto member = object.find(name);
    return member != object.end() && member->is_string() ? member->get<std::string>()
                                                         : std::string();
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

TrackRecord ReadTrack(const std::string &path, const Json &track)
{
    const auto id = track.is_object() ? track.find("id") : Json::const_iterator();
    // mkvmerge numbers tracks from 0; a negative, fractional or huge id is no track of ours.
    if (!track.is_object() || id == track.end() || !id->is_number_integer()
        || id->get<std::int64_t>() < 0
        || id->get<std::int64_t>() > std::numeric_limits<std::int32_t>::max())
        Refuse(path, "mkvmerge reported a track without a usable id");
    const Json &properties = track.contains("properties") ? track["properties"] : Json();
    TrackRecord record;
    record.id = static_cast<std::int32_t>(id->get<std::int64_t>());
    record.type = TrackType(TextMember(track, "type"));
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

    // Without exceptions: a report that is no JSON document is refused like any other.
    const Json root = Json::parse(*report, nullptr, false);
    if (!root.is_object())
        Refuse(path, "mkvmerge's report is not an object");
    if (const auto errors = root.find("errors");
        errors != root.end() && errors->is_array() && !errors->empty())
        Refuse(path,
               "mkvmerge: "
                   + (errors->front().is_string() ? errors->front().get<std::string>()
                                                  : std::string("an error")));

    const Json &container = root.contains("container") ? root["container"] : Json();
    const bool recognized = container.is_object() && container.contains("recognized")
        && container["recognized"].is_boolean() && container["recognized"].get<bool>();
    if (!recognized)
        Refuse(path, "not a file mkvmerge recognises");
    const std::string container_type = TextMember(container, "type");
    if (container_type != "Matroska" && container_type != "WebM")
        Refuse(path, "not a Matroska file (" + std::string(container_type) + ")");

    const MatroskaLayout layout = MatroskaLayout::Scan(path);
    if (layout.scanned && layout.cut_short && !layout.track_list_complete)
        Refuse(path, "the file ends inside its track list");

    std::vector<TrackRecord> tracks;
    if (const auto list = root.find("tracks"); list != root.end() && list->is_array()) {
        for (const Json &track : *list)
            tracks.push_back(ReadTrack(path, track));
    }
    return tracks;
}

} // namespace mkvextract
