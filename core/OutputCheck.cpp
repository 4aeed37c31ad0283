// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/OutputCheck.h"

#include "core/CutRule.h"
#include "platform/OutputClaim.h"

#include <dolmar.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace quillet {

int64_t SizeLimitKibOf(const std::vector<std::string> &args)
{
    int64_t limit = 0;
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "-fs")
            continue;
        char *end = nullptr;
        errno = 0;
        const long long value = std::strtoll(args[i + 1].c_str(), &end, 10);
        limit = errno == 0 && end && *end == '\0' && value > 0 ? value : 0;
    }
    return limit;
}

double ProbedDurationS(const std::string &path)
{
    MediaContext context{};
    StreamInfo *streams = nullptr;
    const int result = GetMediaFileInfo(path.c_str(), &context, &streams, 0);
    FreeStreamInfo(streams);
    FreeContext(&context);
    if (result != 0 || context.duration_us <= 0)
        return 0;
    return static_cast<double>(context.duration_us) * 1e-6;
}

bool CommitAsCut(platform::OutputClaim &claim, std::string &named, std::string *error)
{
    const std::string final_path = claim.FinalPath();
    std::string claim_error;
    platform::OutputClaim cut = platform::OutputClaim::Claim(
        [final_path](unsigned n) { return sizing::CutOutputPath(final_path, n); }, &claim_error);
    if (!cut.Claimed()) {
        claim.Abandon();
        if (error)
            *error = claim_error;
        return false;
    }
    // The cut claim made an empty temporary file of its own; the finished one takes its place
    // and is named from there, so the whole output's name is never given to it.
    ::unlink(cut.TemporaryPath().c_str());
    const int moved = platform::RenameWithoutReplacing(claim.TemporaryPath(), cut.TemporaryPath());
    if (moved != 0) {
        claim.Abandon();
        if (error)
            *error = "cannot name " + cut.FinalPath() + ": " + std::strerror(moved);
        return false;
    }
    claim.Abandon();
    if (!cut.Commit(error))
        return false;
    named = cut.FinalPath();
    return true;
}

} // namespace quillet
