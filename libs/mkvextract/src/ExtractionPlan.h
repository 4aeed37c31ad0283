// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TrackIdentifier.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mkvextract {

/// The files one output gives, under one choice of name.
struct OutputNames
{
    std::filesystem::path request; ///< the name the caller is told
    std::filesystem::path main; ///< the text subtitles, or the VobSub index
    std::filesystem::path vobsub_images; ///< "<stem>.sub", VobSub only
};

/// One output of a request, checked and turned into what mkvextract is told.
struct PlannedOutput
{
    std::int32_t track = 0;
    std::filesystem::path requested; ///< the path the caller expects to exist afterwards
    bool vobsub = false;
    /// The name mkvextract would give the index. For VobSub it always ends in ".idx":
    /// mkvextract replaces any other ending and writes "<stem>.idx" and "<stem>.sub" beside each
    /// other, so a request for "x.IDX" or "x" is met by renaming its index afterwards, and one
    /// for "x.sub" by its image file.
    std::filesystem::path tool_path;
    std::filesystem::path vobsub_images; ///< "<stem>.sub" beside tool_path, VobSub only
    /// Index of the output with the same track that mkvextract writes, or -1 for one it writes
    /// itself: mkvextract refuses a track id given twice, so repeats are copied afterwards.
    int copy_of = -1;

    /**
     * The names of the files under choice n: the requested ones for 0, else "<stem> (n)" with
     * the requested ending. Both files of a VobSub pair share the stem, so the index and its
     * images always stay together.
     */
    OutputNames Names(unsigned n) const;
};

/// The folder a file goes to: its parent, or "." for a bare name.
std::filesystem::path FolderOf(const std::filesystem::path &file);

/// Checks an extraction request against the file's tracks before anything is written:
/// every track must exist; every output folder must exist (mkvextract would quietly create a
/// mistyped folder tree); an output may not be the source itself (mkvextract would truncate the
/// file it reads) nor a file another track writes; names must be UTF-8, the only encoding
/// mkvextract passes through unchanged. Throws MkvError(ExtractionFailed) naming the first fault.
class ExtractionPlan
{
public:
    struct Item
    {
        std::int32_t track = 0;
        std::string path;
    };

    ExtractionPlan(const std::string &source, const std::vector<TrackRecord> &tracks,
                   const std::vector<Item> &items);

    const std::vector<PlannedOutput> &Outputs() const { return m_outputs; }
    /// For each item of the request, the index of its output (the same pair twice shares one).
    const std::vector<std::size_t> &ItemOutputs() const { return m_item_outputs; }

private:
    void CheckFolder(const PlannedOutput &output) const;
    void CheckCollisions() const;

    std::string m_source;
    std::vector<PlannedOutput> m_outputs;
    std::vector<std::size_t> m_item_outputs;
};

} // namespace mkvextract
