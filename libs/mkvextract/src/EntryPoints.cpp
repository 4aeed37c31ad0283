// SPDX-License-Identifier: GPL-3.0-or-later
// The four C entry points. Each one catches everything: a C++ exception must never unwind into
// the caller, and a failure is a negative result plus one diagnostic line on stderr.

#include "mkvextract.h"

#include "MkvError.h"
#include "TrackExtractor.h"
#include "TrackIdentifier.h"
#include "TrackInfoBlock.h"
#include "platform/FixedText.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

using namespace mkvextract;

namespace {

// Output paths live in fixed 1024-byte fields; a field without a NUL is a malformed request.
constexpr std::size_t kOutputPathCapacity = sizeof(EmExtractItem::output_path);

// Set from the caller's thread and read by the same thread; atomic so that a caller that does
// use another thread still gets a whole pointer.
std::atomic<EmProgressFunc> g_callback{nullptr};

int Report(MkvFailure failure, const char *entry_point, const char *what)
{
    std::fprintf(stderr, "libmkvextract: %s: %s\n", entry_point, what);
    return static_cast<int>(failure);
}

template<typename Body> int Guarded(const char *entry_point, Body body)
{
    try {
        return body();
    } catch (const MkvError &e) {
        return Report(e.Failure(), entry_point, e.what());
    } catch (const std::bad_alloc &) {
        return Report(MkvFailure::Unreadable, entry_point, "out of memory");
    } catch (const std::exception &e) {
        return Report(MkvFailure::ExtractionFailed, entry_point, e.what());
    } catch (...) {
        return Report(MkvFailure::ExtractionFailed, entry_point, "unexpected failure");
    }
}

} // namespace

extern "C" {

MKVEXTRACT_API int em_gettrackinfo(const char *path, EmTrackInfo **info)
{
    if (info)
        *info = nullptr;
    if (!path || !*path || !info)
        return Report(MkvFailure::BadArguments, "em_gettrackinfo", "no path or no result pointer");
    return Guarded("em_gettrackinfo", [&] {
        auto block = std::make_unique<TrackInfoBlock>(TrackIdentifier::Identify(path));
        *info = block.release()->Info();
        return 0;
    });
}

MKVEXTRACT_API int em_extract(const char *path, const EmExtractRequest *request)
{
    if (!path || !*path || !request || request->count < 0
        || (request->count > 0 && !request->items))
        return Report(MkvFailure::BadArguments, "em_extract", "no path or malformed request");
    return Guarded("em_extract", [&] {
        std::vector<ExtractionPlan::Item> items;
        for (int32_t i = 0; i < request->count; ++i) {
            const EmExtractItem &item = request->items[i];
            const std::size_t length = strnlen(item.output_path, kOutputPathCapacity);
            if (length == kOutputPathCapacity)
                throw MkvError(MkvFailure::BadArguments, "an output path is not terminated");
            items.push_back({item.track, std::string(item.output_path, length)});
        }
        if (items.empty())
            return 0;
        TrackExtractor extractor(path, g_callback.load());
        // The caller learns where each track went, also when a later one failed.
        auto tell_names = [&] {
            const std::vector<std::string> &names = extractor.PlacedNames();
            for (std::size_t i = 0; i < names.size() && i < items.size(); ++i) {
                if (!names[i].empty())
                    quillet::platform::AssignFixedText(request->items[i].output_path, names[i]);
            }
        };
        try {
            extractor.Extract(items, kOutputPathCapacity);
        } catch (...) {
            tell_names();
            throw;
        }
        tell_names();
        return 0;
    });
}

MKVEXTRACT_API void em_freetrackinfo(EmTrackInfo *info)
{
    delete TrackInfoBlock::FromInfo(info);
}

MKVEXTRACT_API void em_setcallbackfunc(EmProgressFunc callback)
{
    g_callback.store(callback);
}

} // extern "C"
