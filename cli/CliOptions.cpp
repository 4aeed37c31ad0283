// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include <charconv>

namespace quillet::cli {

namespace {

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
           "      --split-size MB             the size of \"Custom\", 0 to 100000\n"
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
    CliOptions o;
    bool options_done = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (options_done || arg.empty() || arg[0] != '-' || arg == "-") {
            o.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        std::string value;
        bool has_inline = false;
        if (arg.rfind("--", 0) == 0) {
            if (auto eq = arg.find('='); eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                has_inline = true;
            }
        }
        auto take_value = [&](std::string &out) {
            if (has_inline) {
                out = value;
                return true;
            }
            if (i + 1 >= args.size()) {
                o.error = "option " + arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        auto no_value = [&] {
            if (has_inline)
                o.error = "option " + arg + " takes no value";
            return !has_inline;
        };

        if (arg == "-h" || arg == "--help") {
            if (!no_value())
                return o;
            o.mode = CliOptions::Mode::Help;
        } else if (arg == "-p" || arg == "--profile") {
            std::string spec;
            if (!take_value(spec))
                return o;
            auto colon = spec.find(':');
            if (colon == std::string::npos || colon == 0 || colon + 1 == spec.size()) {
                o.error = "--profile takes FILE.ini:SECTION, not \"" + spec + "\"";
                return o;
            }
            o.profile_file = spec.substr(0, colon);
            o.profile_section = spec.substr(colon + 1);
        } else if (arg == "-o" || arg == "--output") {
            if (!take_value(o.output_dir))
                return o;
            if (o.output_dir.empty()) {
                o.error = "--output needs a folder";
                return o;
            }
        } else if (arg == "--merge") {
            if (!no_value())
                return o;
            o.merge = true;
        } else if (arg == "--split") {
            if (!take_value(o.split))
                return o;
        } else if (arg == "--split-size") {
            std::string text;
            if (!take_value(text))
                return o;
            if (!ParseInt(text, o.split_size_mb) || o.split_size_mb < 0
                || o.split_size_mb > 100000) {
                o.error = "--split-size takes a whole number of megabytes from 0 to 100000";
                return o;
            }
        } else if (arg == "--audio-tracks") {
            std::string text;
            if (!take_value(text))
                return o;
            std::size_t start = 0;
            while (start <= text.size()) {
                auto comma = text.find(',', start);
                std::string part = text.substr(
                    start, comma == std::string::npos ? std::string::npos : comma - start);
                int n = 0;
                if (!ParseInt(part, n) || n < 1) {
                    o.error = "--audio-tracks takes track numbers from 1, such as 1,3";
                    return o;
                }
                o.audio_tracks.push_back(n);
                if (comma == std::string::npos)
                    break;
                start = comma + 1;
            }
        } else if (arg == "--subtitle") {
            if (!take_value(o.subtitle))
                return o;
        } else if (arg == "--extract-subtitles") {
            if (!no_value())
                return o;
            o.extract_subtitles = true;
        } else if (arg == "--disc") {
            if (!no_value())
                return o;
            o.disc = true;
        } else if (arg == "--summary") {
            if (!no_value())
                return o;
            o.summary = true;
        } else if (arg == "--json") {
            if (!no_value())
                return o;
            o.json = true;
        } else if (arg == "--queue") {
            if (!take_value(o.queue_file))
                return o;
            if (o.queue_file.empty()) {
                o.error = "--queue needs a file";
                return o;
            }
        } else if (arg == "--list-profiles") {
            if (!no_value())
                return o;
            o.mode = CliOptions::Mode::ListProfiles;
        } else if (arg == "--probe") {
            if (!no_value())
                return o;
            o.mode = CliOptions::Mode::Probe;
        } else {
            o.error = "unknown option " + arg;
            return o;
        }
    }
    return o;
}

} // namespace quillet::cli
