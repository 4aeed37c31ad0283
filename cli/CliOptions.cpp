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

CliOptions ParseCliOptions(const std::vector<std::string> &args)
{
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
    static const option kLongOptions[] = {
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
    auto fail = [&o](std::string text) {
        o.error = std::move(text);
        return o;
    };
    for (;;) {
        const int c = getopt_long(argc, argv.data(), ":hp:o:j:", kLongOptions, nullptr);
        if (c == -1)
            break;
        const std::string value = optarg != nullptr ? optarg : "";
        // getopt_long has moved the words it read before optind (argv is permuted, words not).
        const std::string typed = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        switch (c) {
        case 'h':
            o.mode = CliOptions::Mode::Help;
            break;
        case 'p': {
            const auto colon = value.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == value.size())
                return fail("--profile takes FILE.ini:SECTION, not \"" + value + "\"");
            o.profile_file = value.substr(0, colon);
            o.profile_section = value.substr(colon + 1);
            break;
        }
        case 'o':
            if (value.empty())
                return fail("--output needs a folder");
            o.output_dir = value;
            break;
        case 'j':
            if (!ParseInt(value, o.jobs) || o.jobs < 0 || o.jobs > kMaxJobs)
                return fail("--jobs takes a number of files at once from 1 to 64, or 0 to let "
                            "quillet-cli choose");
            break;
        case kMerge:
            o.merge = true;
            break;
        case kSplit:
            o.split = value;
            break;
        case kSplitSize:
            if (!ParseInt(value, o.split_size_mb) || o.split_size_mb < 1
                || o.split_size_mb > 100000)
                return fail("--split-size takes a whole number of megabytes from 1 to 100000");
            break;
        case kAudioTracks:
            for (std::size_t start = 0;;) {
                const auto comma = value.find(',', start);
                int n = 0;
                if (!ParseInt(value.substr(start,
                                           comma == std::string::npos ? std::string::npos
                                                                      : comma - start),
                              n)
                    || n < 1)
                    return fail("--audio-tracks takes track numbers from 1, such as 1,3");
                o.audio_tracks.push_back(n);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
            break;
        case kSubtitle:
            o.subtitle = value;
            break;
        case kExtractSubtitles:
            o.extract_subtitles = true;
            break;
        case kDisc:
            o.disc = true;
            break;
        case kSummary:
            o.summary = true;
            break;
        case kJson:
            o.json = true;
            break;
        case kQueue:
            if (value.empty())
                return fail("--queue needs a file");
            o.queue_file = value;
            break;
        case kListProfiles:
            o.mode = CliOptions::Mode::ListProfiles;
            break;
        case kProbe:
            o.mode = CliOptions::Mode::Probe;
            break;
        case ':':
            return fail("option " + typed + " needs a value");
        default: // '?': an option we do not know, or a value given to one that takes none
            if (optopt != 0 && typed.find('=') != std::string::npos)
                return fail("option " + typed.substr(0, typed.find('=')) + " takes no value");
            return fail("unknown option " + typed);
        }
    }
    for (int i = optind; i < argc; ++i)
        o.files.emplace_back(argv[i]);
    return o;
}

} // namespace quillet::cli
