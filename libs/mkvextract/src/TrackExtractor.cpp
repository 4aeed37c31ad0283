// SPDX-License-Identifier: GPL-3.0-or-later
#include "TrackExtractor.h"

#include "MatroskaLayout.h"
#include "MkvError.h"
#include "ToolProcess.h"

#include <charconv>
#include <filesystem>
#include <string_view>

namespace mkvextract {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgressTag = "#GUI#progress ";
constexpr std::string_view kErrorTag = "#GUI#error ";

[[noreturn]] void Fail(const std::string &what)
{
    throw MkvError(MkvFailure::ExtractionFailed, what);
}

bool IsFile(const fs::path &path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

void CopyOutput(const fs::path &from, const fs::path &to)
{
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
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

void TrackExtractor::Extract(const std::vector<ExtractionPlan::Item> &items)
{
    const ExtractionPlan plan(m_source, TrackIdentifier::Identify(m_source), items);
    Report(0);
    ClearOutputs(plan);
    RunTool(plan);
    FinishOutputs(plan);
    // mkvextract writes what it finds before a cut and exits with success; the caller must
    // not take the shortened subtitles for the whole track.
    if (MatroskaLayout::Scan(m_source).cut_short)
        Fail(m_source + " ends early; the extracted tracks are incomplete");
    Report(100);
}

void TrackExtractor::ClearOutputs(const ExtractionPlan &plan)
{
    // mkvextract truncates its outputs anyway; removing them first means a file found
    // afterwards is this run's work, never a leftover of an earlier one.
    for (const PlannedOutput &output : plan.Outputs()) {
        for (const fs::path &file : {output.requested, output.tool_path, output.vobsub_images}) {
            std::error_code ec;
            if (!file.empty() && !fs::remove(file, ec) && ec)
                Fail("cannot replace " + file.string() + ": " + ec.message());
        }
    }
}

void TrackExtractor::RunTool(const ExtractionPlan &plan)
{
    std::vector<std::string> argv
        = {"mkvextract", TrackIdentifier::SafeArgument(m_source), "tracks", "--gui-mode"};
    bool any = false;
    for (const PlannedOutput &output : plan.Outputs()) {
        if (output.copy_of >= 0)
            continue;
        // mkvextract splits at the first colon only, so colons in the path are safe.
        argv.push_back(std::to_string(output.track) + ":" + output.tool_path.string());
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

void TrackExtractor::FinishOutputs(const ExtractionPlan &plan) const
{
    const auto &outputs = plan.Outputs();
    for (const PlannedOutput &output : outputs) {
        if (output.copy_of >= 0) {
            const PlannedOutput &original = outputs[static_cast<std::size_t>(output.copy_of)];
            CopyOutput(original.requested, output.requested);
            if (output.vobsub && output.vobsub_images != output.requested)
                CopyOutput(original.vobsub_images, output.vobsub_images);
        } else if (output.vobsub && output.tool_path != output.requested
                   && output.vobsub_images != output.requested) {
            // Asked for as "x.IDX" or "x": give the index the requested name. A request for
            // "x.sub" is already met by the image file.
            std::error_code ec;
            fs::rename(output.tool_path, output.requested, ec);
            if (ec)
                Fail("cannot rename " + output.tool_path.string() + ": " + ec.message());
        }
        if (!IsFile(output.requested))
            Fail(output.requested.string() + " was not written");
        if (output.vobsub && !IsFile(output.vobsub_images))
            Fail(output.vobsub_images.string() + " was not written");
    }
}

void TrackExtractor::Report(int percent)
{
    if (!m_callback || percent <= m_last_percent)
        return;
    m_last_percent = percent;
    m_callback(percent, m_message.c_str());
}

} // namespace mkvextract
