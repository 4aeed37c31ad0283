// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include <getopt.h>

#include <charconv>
#include <utility>

namespace quillet::cli {

namespace {

// More conversions at once than any machine we know of has processors for: each is a thread
// with its own frames and encoder, and a typo should not start thousands.
constexpr int kMaxJobs = 64;

bool ParseInt(const std::string &text, int &value)
{
    const char *end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end;
}

} // namespace

std::string UsageText()
{
    return "Usage: quillet-cli [OPTION]... FILE|FOLDER...\n"
           "Converts media files with a quillet profile, one output per file (or one joined\n"
           "output with --merge). A folder is searched with its sub-folders.\n"
           "\n"
           "  -p, --profile FILE.ini:SECTION  the profile to convert with (default: the one the\n"
           "                                  converter remembers, ini/kreldef.ini)\n"
           "  -o, --output DIR                where outputs go (default: the converter's output\n"
           "                                  folder)\n"
           "      --merge                     join every file into one output\n"
           "      --split NAME                size limit: \"DVD-5 (4.7GB)\", \"DVD-9 (8.5GB)\",\n"
           "                                  \"BD-25 (25GB)\", \"BD-50 (50GB)\", \"Custom\" or\n"
           "                                  \"No split\" (as the profile allows)\n"
           "      --split-size MB             the size of \"Custom\", 1 to 100000\n"
           "      --audio-tracks N[,N...]     the audio tracks to keep, counted from 1 (every\n"
           "                                  file must have them)\n"
           "      --subtitle FILE             a subtitle to burn into every output\n"
           "      --extract-subtitles         extract the subtitle tracks of Matroska files and\n"
           "                                  burn in the first one\n"
           "      --disc                      add the streams of an inserted AVCHD/Blu-ray disc\n"
           "      --summary                   after the run, print what became of each file\n"
           "      --json                      print what became of each file as one JSON object\n"
           "                                  a line (source, output, status, reason, seconds)\n"
           "                                  in place of the list of outputs\n"
           "  -j, --jobs N                    convert up to N files at once, 1 to 64; 0 (the\n"
           "                                  default) chooses from the processors and each\n"
           "                                  file's picture size\n"
           "      --queue FILE                keep the batch's state in FILE as it goes: run\n"
           "                                  again with the same FILE and files, and only what\n"
           "                                  is not done yet is converted\n"
           "      --list-profiles             list the profiles: group, file, profile\n"
           "      --probe FILE...             show what the converter reads of each file\n"
           "  -h, --help                      show this help\n"
           "\n"
           "Standard output lists each finished output; progress goes to standard error.\n"
           "Exit status: 0 all converted, 1 some failed, 2 bad usage (or the --queue FILE is\n"
           "in use by another run), 130 cancelled (Ctrl+C), 129 or 143 stopped by SIGHUP or\n"
           "SIGTERM.\n";
}

namespace {

// Long-only options get values past any character a short option could have.
enum : int {
    kMerge = 256,
    kSplit,
    kSplitSize,
    kAudioTracks,
    kSubtitle,
    kExtractSubtitles,
    kDisc,
    kSummary,
    kJson,
    kQueue,
    kListProfiles,
    kProbe,
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"profile", required_argument, nullptr, 'p'},
    {"output", required_argument, nullptr, 'o'},
    {"jobs", required_argument, nullptr, 'j'},
    {"merge", no_argument, nullptr, kMerge},
    {"split", required_argument, nullptr, kSplit},
    {"split-size", required_argument, nullptr, kSplitSize},
    {"audio-tracks", required_argument, nullptr, kAudioTracks},
    {"subtitle", required_argument, nullptr, kSubtitle},
    {"extract-subtitles", no_argument, nullptr, kExtractSubtitles},
    {"disc", no_argument, nullptr, kDisc},
    {"summary", no_argument, nullptr, kSummary},
    {"json", no_argument, nullptr, kJson},
    {"queue", required_argument, nullptr, kQueue},
    {"list-profiles", no_argument, nullptr, kListProfiles},
    {"probe", no_argument, nullptr, kProbe},
    {nullptr, 0, nullptr, 0},
};

/// --profile FILE.ini:SECTION; empty, or why the value is refused.
std::string ReadProfile(const std::string &value, CliOptions &o)
{
    const auto colon = value.find(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == value.size())
        return "--profile takes FILE.ini:SECTION, not \"" + value + "\"";
    o.profile_file = value.substr(0, colon);
    o.profile_section = value.substr(colon + 1);
    return {};
}

/// --audio-tracks N[,N...], each from 1.
std::string ReadTracks(const std::string &value, CliOptions &o)
{
    for (std::size_t start = 0;;) {
        const auto comma = value.find(',', start);
        const auto length = comma == std::string::npos ? std::string::npos : comma - start;
        int n = 0;
        if (!ParseInt(value.substr(start, length), n) || n < 1)
            return "--audio-tracks takes track numbers from 1, such as 1,3";
        o.audio_tracks.push_back(n);
        if (comma == std::string::npos)
            return {};
        start = comma + 1;
    }
}

/// Takes one option that getopt_long has read (value: its argument, or empty); empty, or why
/// it is refused.
std::string ReadOption(int option, const std::string &value, CliOptions &o)
{
    switch (option) {
    case 'h':
        o.mode = CliOptions::Mode::Help;
        return {};
    case 'p':
        return ReadProfile(value, o);
    case 'o':
        o.output_dir = value;
        return value.empty() ? "--output needs a folder" : "";
    case 'j':
        if (!ParseInt(value, o.jobs) || o.jobs < 0 || o.jobs > kMaxJobs)
            return "--jobs takes a number of files at once from 1 to 64, or 0 to let "
                   "quillet-cli choose";
        return {};
    case kSplitSize:
        if (!ParseInt(value, o.split_size_mb) || o.split_size_mb < 1 || o.split_size_mb > 100000)
            return "--split-size takes a whole number of megabytes from 1 to 100000";
        return {};
    case kAudioTracks:
        return ReadTracks(value, o);
    case kQueue:
        o.queue_file = value;
        return value.empty() ? "--queue needs a file" : "";
    case kSplit:
        o.split = value;
        return {};
    case kSubtitle:
        o.subtitle = value;
        return {};
    case kListProfiles:
        o.mode = CliOptions::Mode::ListProfiles;
        return {};
    case kProbe:
        o.mode = CliOptions::Mode::Probe;
        return {};
    default:
        break;
    }
    // The switches.
    for (auto [flag, field] : {std::pair{kMerge, &CliOptions::merge},
                               {kExtractSubtitles, &CliOptions::extract_subtitles},
                               {kDisc, &CliOptions::disc},
                               {kSummary, &CliOptions::summary},
                               {kJson, &CliOptions::json}})
        if (option == flag) {
            o.*field = true;
            return {};
        }
    return "unknown option";
}

/// Why getopt_long stopped at typed: a missing value (':'), a value given to an option that
/// takes none, or an option it does not know ('?').
std::string Refusal(int option, const std::string &typed)
{
    if (option == ':')
        return "option " + typed + " needs a value";
    if (optopt != 0 && typed.find('=') != std::string::npos)
        return "option " + typed.substr(0, typed.find('=')) + " takes no value";
    return "unknown option " + typed;
}

} // namespace

CliOptions ParseCliOptions(const std::vector<std::string> &args)
{
    // getopt_long permutes its vector, so it gets a copy; optind = 0 starts it afresh (the
    // parser keeps its state in globals, and the tests parse many command lines).
    std::vector<std::string> words(args);
    std::vector<char *> argv;
    argv.reserve(words.size() + 1);
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());
    optind = 0;
    opterr = 0;

    CliOptions o;
    for (int c; (c = getopt_long(argc, argv.data(), ":hp:o:j:", kLongOptions, nullptr)) != -1;) {
        // getopt_long has moved the words it read before optind (argv is permuted, words not).
        const std::string typed = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        o.error = c == ':' || c == '?' ? Refusal(c, typed)
                                       : ReadOption(c, optarg != nullptr ? optarg : "", o);
        if (!o.error.empty())
            return o;
    }
    for (int i = optind; i < argc; ++i)
        o.files.emplace_back(argv[i]);
    return o;
}

} // namespace quillet::cli
