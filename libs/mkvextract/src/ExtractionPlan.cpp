// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExtractionPlan.h"

#include "MkvError.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <system_error>

namespace mkvextract {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Refuse(const std::string &what)
{
    throw MkvError(MkvFailure::ExtractionFailed, what);
}

/// The VobSub files for a request: the index at the requested name unless that is the image
/// file's own name.
void SetVobSubNames(const fs::path &request, fs::path &tool_path, fs::path &images)
{
    tool_path = fs::path(request).replace_extension(".idx");
    images = fs::path(tool_path).replace_extension(".sub");
}

/// The files an output leaves on disk, for the collision check.
std::vector<fs::path> FilesOf(const PlannedOutput &output)
{
    if (!output.vobsub)
        return {output.requested};
    return {output.requested, output.tool_path, output.vobsub_images};
}

} // namespace

fs::path FolderOf(const fs::path &file)
{
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

ExtractionPlan::ExtractionPlan(const std::string &source, const std::vector<TrackRecord> &tracks,
                               const std::vector<Item> &items)
    : m_source(source)
{
    for (const Item &item : items) {
        auto track = std::find_if(tracks.begin(), tracks.end(),
                                  [&](const TrackRecord &t) { return t.id == item.track; });
        if (track == tracks.end())
            Refuse(source + " has no track " + std::to_string(item.track));
        if (item.path.empty())
            Refuse("an output path is empty");
        if (!quillet::platform::IsValidUtf8(item.path))
            Refuse(item.path + ": the name is not UTF-8");

        PlannedOutput output;
        output.track = item.track;
        output.requested = item.path;
        output.vobsub = track->codec_id == "S_VOBSUB";
        output.tool_path = output.requested;
        if (output.vobsub)
            SetVobSubNames(output.requested, output.tool_path, output.vobsub_images);

        // The same pair twice asks for nothing more.
        auto same = std::find_if(m_outputs.begin(), m_outputs.end(), [&](const PlannedOutput &o) {
            return o.track == output.track && o.requested == output.requested;
        });
        if (same != m_outputs.end()) {
            m_item_outputs.push_back(static_cast<std::size_t>(same - m_outputs.begin()));
            continue;
        }
        for (std::size_t i = 0; i < m_outputs.size(); ++i) {
            if (m_outputs[i].track == output.track && m_outputs[i].copy_of < 0) {
                output.copy_of = static_cast<int>(i);
                break;
            }
        }
        CheckFolder(output);
        m_item_outputs.push_back(m_outputs.size());
        m_outputs.push_back(std::move(output));
    }
    CheckCollisions();
}

OutputNames PlannedOutput::Names(unsigned n) const
{
    OutputNames names;
    names.request = requested;
    if (n > 0) {
        const std::string numbered = requested.stem().string() + " (" + std::to_string(n) + ")"
            + requested.extension().string();
        names.request
            = requested.has_parent_path() ? requested.parent_path() / numbered : fs::path(numbered);
    }
    names.main = names.request;
    if (vobsub) {
        fs::path index;
        SetVobSubNames(names.request, index, names.vobsub_images);
        if (names.request == names.vobsub_images)
            names.main = index;
    }
    return names;
}

void ExtractionPlan::CheckFolder(const PlannedOutput &output) const
{
    std::error_code ec;
    const fs::path folder = FolderOf(output.requested);
    if (!fs::is_directory(folder, ec)) {
        // A missing folder is never created; any other cause (a link loop, a name too long for
        // the file system, no permission) is named as the system names it.
        const bool missing = !ec || ec == std::errc::no_such_file_or_directory;
        Refuse(output.requested.string() + ": "
               + (missing ? std::string("the folder does not exist") : ec.message()));
    }
    for (const fs::path &file : FilesOf(output)) {
        if (fs::is_directory(file, ec))
            Refuse(file.string() + " is a folder");
        if (fs::equivalent(file, m_source, ec))
            Refuse(file.string() + " is the source file itself");
    }
}

void ExtractionPlan::CheckCollisions() const
{
    for (std::size_t a = 0; a < m_outputs.size(); ++a) {
        for (std::size_t b = a + 1; b < m_outputs.size(); ++b) {
            for (const fs::path &x : FilesOf(m_outputs[a]))
                for (const fs::path &y : FilesOf(m_outputs[b]))
                    if (x.lexically_normal() == y.lexically_normal())
                        Refuse(x.string() + " would be written by two tracks");
        }
    }
}

} // namespace mkvextract
