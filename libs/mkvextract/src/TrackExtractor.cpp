// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackExtractor.h"

#include "MatroskaLayout.h"
#include "MkvError.h"
#include "NoReplaceMove.h"
#include "ToolProcess.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace mkvextract {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgressTag = "#GUI#progress ";
constexpr std::string_view kErrorTag = "#GUI#error ";

// "x (1).srt" to "x (9999).srt"; a folder holding all of them is not one to fill further.
constexpr unsigned kMaxNumberedNames = 9999;

[[noreturn]] void Fail(const std::string &what)
{
    throw MkvError(MkvFailure::ExtractionFailed, what);
}

bool IsFile(const fs::path &path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

/// Copies into a fresh name of our own working folder.
void CopyOutput(const fs::path &from, const fs::path &to)
{
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::none, ec);
    if (ec)
        Fail("cannot copy " + from.string() + " to " + to.string() + ": " + ec.message());
}

} // namespace

TrackExtractor::TrackExtractor(std::string source, EmProgressFunc callback)
    : m_source(std::move(source))
    , m_callback(callback)
{
    m_message = "Extracting subtitles from " + fs::path(m_source).filename().string();
}

void TrackExtractor::Extract(const std::vector<ExtractionPlan::Item> &items,
                             std::size_t max_path_bytes)
{
    m_item_names.clear();
    m_staged.clear();
    m_staging.clear();
    const ExtractionPlan plan(m_source, TrackIdentifier::Identify(m_source), items);
    m_item_names.assign(plan.ItemOutputs().size(), std::string());
    Report(0);
    Stage(plan);
    RunTool(plan);
    CheckStaged(plan);
    // mkvextract writes what it finds before a cut and exits with success; the shortened
    // subtitles must not pass for the whole track under a final name.
    if (MatroskaLayout::Scan(m_source).cut_short)
        Fail(m_source + " ends early; the extracted tracks are incomplete");
    Place(plan, max_path_bytes);
    m_staging.clear();
    Report(100);
}

void TrackExtractor::Stage(const ExtractionPlan &plan)
{
    const auto &outputs = plan.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PlannedOutput &output = outputs[i];
        const fs::path folder = FolderOf(output.requested);
        auto &staging = m_staging[folder];
        if (!staging)
            staging = std::make_unique<StagingFolder>(folder);
        // Working names of our own: mkvextract writes a VobSub pair as "<stem>.idx" and
        // "<stem>.sub"; a text track keeps its ending.
        const fs::path base = staging->Path() / std::to_string(i);
        Staged staged;
        if (output.vobsub) {
            staged.main = fs::path(base).concat(".idx");
            staged.vobsub_images = fs::path(base).concat(".sub");
        } else {
            staged.main = fs::path(base).concat(output.requested.extension().string());
        }
        m_staged.push_back(std::move(staged));
    }
}

void TrackExtractor::RunTool(const ExtractionPlan &plan)
{
    std::vector<std::string> argv
        = {"mkvextract", TrackIdentifier::SafeArgument(m_source), "tracks", "--gui-mode"};
    bool any = false;
    const auto &outputs = plan.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (outputs[i].copy_of >= 0)
            continue;
        // mkvextract splits at the first colon only, so colons in the path are safe.
        argv.push_back(std::to_string(outputs[i].track) + ":" + m_staged[i].main.string());
        any = true;
    }
    if (!any)
        return;

    quillet::platform::ChildProcess mkvextract = StartTool(argv);
    std::string first_error;
    while (auto line = mkvextract.ReadLine()) {
        std::string_view text(*line);
        if (text.starts_with(kProgressTag)) {
            text.remove_prefix(kProgressTag.size());
            int percent = 0;
            auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), percent);
            if (ec == std::errc() && percent < 100)
                Report(percent);
        } else if (text.starts_with(kErrorTag) && first_error.empty()) {
            first_error = text.substr(kErrorTag.size());
        }
    }
    const int exit_status = mkvextract.Wait();
    // 1 means warnings only; the outputs are written.
    if (exit_status != 0 && exit_status != 1) {
        Fail("mkvextract failed on " + m_source
             + (first_error.empty() ? " (exit status " + std::to_string(exit_status) + ")"
                                    : ": " + first_error));
    }
}

void TrackExtractor::CheckStaged(const ExtractionPlan &plan) const
{
    const auto &outputs = plan.Outputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PlannedOutput &output = outputs[i];
        const Staged &staged = m_staged[i];
        if (output.copy_of >= 0) {
            const Staged &original = m_staged[static_cast<std::size_t>(output.copy_of)];
            CopyOutput(original.main, staged.main);
            if (output.vobsub)
                CopyOutput(original.vobsub_images, staged.vobsub_images);
        }
        if (!IsFile(staged.main) || (output.vobsub && !IsFile(staged.vobsub_images)))
            Fail(output.requested.string() + " was not written");
    }
}

void TrackExtractor::Place(const ExtractionPlan &plan, std::size_t max_path_bytes)
{
    const auto &outputs = plan.Outputs();
    const auto &item_outputs = plan.ItemOutputs();
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string name = PlaceOne(outputs[i], m_staged[i], max_path_bytes).string();
        for (std::size_t item = 0; item < item_outputs.size(); ++item) {
            if (item_outputs[item] == i)
                m_item_names[item] = name;
        }
    }
}

fs::path TrackExtractor::PlaceOne(const PlannedOutput &output, const Staged &staged,
                                  std::size_t max_path_bytes) const
{
    auto failed = [](const fs::path &name, int error) {
        Fail("cannot write " + name.string() + ": " + std::strerror(error));
    };
    for (unsigned n = 0; n <= kMaxNumberedNames; ++n) {
        const OutputNames names = output.Names(n);
        if (names.request.string().size() >= max_path_bytes)
            Fail(output.requested.string() + " is taken and no free name fits the request");
        if (!output.vobsub) {
            const int result = MoveWithoutReplacing(staged.main, names.main);
            if (result == 0)
                return names.request;
            if (result != EEXIST)
                failed(names.main, result);
            continue;
        }
        // The images first, then the index: a pair is placed only when both names are free.
        int result = MoveWithoutReplacing(staged.vobsub_images, names.vobsub_images);
        if (result == EEXIST)
            continue;
        if (result != 0)
            failed(names.vobsub_images, result);
        result = MoveWithoutReplacing(staged.main, names.main);
        if (result == 0)
            return names.request;
        // The image file is ours under a name nobody else had: it goes back to wait for a
        // name free for both.
        std::rename(names.vobsub_images.c_str(), staged.vobsub_images.c_str());
        if (result != EEXIST)
            failed(names.main, result);
    }
    Fail(output.requested.string() + " and every numbered name after it are taken");
}

void TrackExtractor::Report(int percent)
{
    if (!m_callback || percent <= m_last_percent)
        return;
    m_last_percent = percent;
    m_callback(percent, m_message.c_str());
}

} // namespace mkvextract
