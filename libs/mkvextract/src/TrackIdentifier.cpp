// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackIdentifier.h"

#include "ChildProcess.h"
#include "JsonReader.h"
#include "MatroskaLayout.h"
#include "MkvError.h"
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

std::int32_t trackType(std::string_view type)
{
    if (type == "video")
        return EM_TRACK_VIDEO;
    if (type == "audio")
        return EM_TRACK_AUDIO;
    if (type == "subtitles")
        return EM_TRACK_SUBTITLE;
    return EM_TRACK_OTHER;
}

std::string_view textMember(const JsonValue *object, std::string_view name)
{
    const JsonValue *value = object ? object->find(name) : nullptr;
    return value ? value->text() : std::string_view();
}

[[noreturn]] void refuse(const std::string &path, const std::string &why)
{
    throw MkvError(MkvFailure::Unreadable, path + ": " + why);
}

void requireRegularFile(const std::string &path)
{
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        refuse(path, std::strerror(errno));
    // A FIFO or device would leave mkvmerge waiting for input forever on the caller's thread.
    if (!S_ISREG(info.st_mode))
        refuse(path, "not a regular file");
}

TrackRecord readTrack(const std::string &path, const JsonValue &track)
{
    const JsonValue *id = track.find("id");
    auto number = id ? id->asInt64() : std::nullopt;
    if (!number || *number < 0 || *number > std::numeric_limits<std::int32_t>::max())
        refuse(path, "mkvmerge reported a track without a usable id");
    const JsonValue *properties = track.find("properties");
    TrackRecord record;
    record.id = static_cast<std::int32_t>(*number);
    record.type = trackType(textMember(&track, "type"));
    record.codec_id = textMember(properties, "codec_id");
    record.language = textMember(properties, "language");
    if (record.language.empty())
        record.language = textMember(properties, "language_ietf");
    record.name = textMember(properties, "track_name");
    return record;
}

} // namespace

std::string TrackIdentifier::safeArgument(const std::string &path)
{
    return path.starts_with('/') ? path : "./" + path;
}

std::vector<TrackRecord> TrackIdentifier::identify(const std::string &path)
{
    requireRegularFile(path);

    ChildProcess mkvmerge({"mkvmerge", "-J", safeArgument(path)});
    const std::string report = mkvmerge.readAll(kReportLimitBytes);
    const int exit_status = mkvmerge.wait();
    // 1 means warnings only; the report is complete.
    if (exit_status != 0 && exit_status != 1)
        refuse(path,
               "mkvmerge could not identify the file (exit status " + std::to_string(exit_status)
                   + ")");

    const JsonValue root = JsonReader::parse(report);
    if (!root.isObject())
        refuse(path, "mkvmerge's report is not an object");
    if (const JsonValue *errors = root.find("errors"); errors && !errors->items().empty())
        refuse(path, "mkvmerge: " + std::string(errors->items().front().text()));

    const JsonValue *container = root.find("container");
    const JsonValue *recognized = container ? container->find("recognized") : nullptr;
    if (!recognized || recognized->asBool() != true)
        refuse(path, "not a file mkvmerge recognises");
    const std::string_view container_type = textMember(container, "type");
    if (container_type != "Matroska" && container_type != "WebM")
        refuse(path, "not a Matroska file (" + std::string(container_type) + ")");

    const MatroskaLayout layout = MatroskaLayout::scan(path);
    if (layout.scanned && layout.cut_short && !layout.track_list_complete)
        refuse(path, "the file ends inside its track list");

    std::vector<TrackRecord> tracks;
    if (const JsonValue *list = root.find("tracks")) {
        for (const JsonValue &track : list->items())
            tracks.push_back(readTrack(path, track));
    }
    return tracks;
}

} // namespace mkvextract
