// SPDX-License-Identifier: GPL-3.0-or-later
#include "Chapters.h"

#include "AvOwners.h"
#include "EngineError.h"
#include "LeadingPictures.h"
#include "LogCapture.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <new>

namespace dolmar {

namespace {

// Sound this much past the picture at a join is codec padding, which the run cuts (as
// OutputSession does).
constexpr double kPaddingSeconds = 0.25;
// Chapter times are written in milliseconds, which every container that holds them can keep.
constexpr AVRational kMilliseconds{1, 1000};

std::optional<double> StreamSeconds(const AVFormatContext *file, const AVStream *stream)
{
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return stream->duration * av_q2d(stream->time_base);
    // Matroska states no stream lengths of its own; its muxers write them as a tag.
    if (const AVDictionaryEntry *tag = av_dict_get(stream->metadata, "DURATION", nullptr, 0)) {
        int hours = 0;
        int minutes = 0;
        double seconds = 0;
        if (std::sscanf(tag->value, "%d:%d:%lf", &hours, &minutes, &seconds) == 3)
            return hours * 3600.0 + minutes * 60.0 + seconds;
    }
    if (file->duration != AV_NOPTS_VALUE && file->duration > 0)
        return file->duration / double(AV_TIME_BASE);
    return std::nullopt;
}

double TrimmedLength(double length_s, const InputOptions &segment)
{
    double kept = std::max(0.0, length_s - segment.start_us / 1e6);
    if (segment.duration_us)
        kept = std::min(kept, *segment.duration_us / 1e6);
    return kept;
}

/// What a segment adds to a merged output, and its title tag.
double SegmentLength(const InputOptions &segment, const AVIOInterruptCB &interrupt,
                     std::string &title_tag)
{
    const InputContextPtr file(LeadingPictures::Open(segment.path, segment.format, interrupt));
    if (!file)
        return 0;
    // Headers that state no length (raw and transport streams) are read a little further.
    if ((file->duration == AV_NOPTS_VALUE || file->nb_streams == 0)
        && avformat_find_stream_info(file.get(), nullptr) < 0) {
        LogCapture::TakeLastError();
        return 0;
    }
    if (const AVDictionaryEntry *title = av_dict_get(file->metadata, "title", nullptr, 0))
        title_tag = title->value;
    std::optional<double> picture;
    std::optional<double> sound;
    for (unsigned i = 0; i < file->nb_streams; ++i) {
        const AVStream *stream = file->streams[i];
        const AVMediaType type = stream->codecpar->codec_type;
        if (type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
            && !picture)
            picture = StreamSeconds(file.get(), stream);
        else if (type == AVMEDIA_TYPE_AUDIO && !sound)
            sound = StreamSeconds(file.get(), stream);
    }
    const double picture_s = picture ? TrimmedLength(*picture, segment) : 0.0;
    const double sound_s = sound ? TrimmedLength(*sound, segment) : 0.0;
    if (picture && sound_s > picture_s && sound_s - picture_s <= kPaddingSeconds)
        return picture_s;
    return std::max(picture_s, sound_s);
}

} // namespace

std::vector<Chapter> Chapters::Read(const AVFormatContext *source)
{
    std::vector<Chapter> chapters;
    const double origin_s
        = source->start_time != AV_NOPTS_VALUE ? source->start_time / double(AV_TIME_BASE) : 0.0;
    for (unsigned i = 0; i < source->nb_chapters; ++i) {
        const AVChapter *in = source->chapters[i];
        Chapter chapter;
        chapter.start_s = in->start * av_q2d(in->time_base) - origin_s;
        chapter.end_s = in->end * av_q2d(in->time_base) - origin_s;
        const AVDictionaryEntry *entry = nullptr;
        while ((entry = av_dict_get(in->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
            chapter.tags.emplace_back(entry->key, entry->value);
        chapters.push_back(std::move(chapter));
    }
    std::stable_sort(chapters.begin(), chapters.end(),
                     [](const Chapter &a, const Chapter &b) { return a.start_s < b.start_s; });
    // A chapter without a stated end lasts until the next one begins, the last one to the end.
    const double length_s = source->duration != AV_NOPTS_VALUE && source->duration > 0
        ? source->duration / double(AV_TIME_BASE)
        : 0.0;
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        if (chapters[i].end_s > chapters[i].start_s)
            continue;
        chapters[i].end_s = i + 1 < chapters.size() ? chapters[i + 1].start_s : length_s;
    }
    return chapters;
}

std::vector<Chapter> Chapters::Trimmed(const std::vector<Chapter> &chapters, double start_s,
                                       std::optional<double> length_s)
{
    std::vector<Chapter> kept;
    for (Chapter chapter : chapters) {
        chapter.start_s = std::max(0.0, chapter.start_s - start_s);
        chapter.end_s -= start_s;
        if (length_s)
            chapter.end_s = std::min(chapter.end_s, *length_s);
        // Less than a millisecond cannot be written: nothing of it is in the output.
        if (chapter.end_s - chapter.start_s < 0.001)
            continue;
        kept.push_back(std::move(chapter));
    }
    return kept;
}

std::vector<Chapter> Chapters::PerSegment(const std::vector<InputOptions> &segments,
                                          const AVIOInterruptCB &interrupt)
{
    std::vector<Chapter> chapters;
    double at_s = 0;
    for (const InputOptions &segment : segments) {
        std::string title_tag;
        const double length_s = SegmentLength(segment, interrupt, title_tag);
        Chapter chapter;
        chapter.start_s = at_s;
        chapter.end_s = at_s + length_s;
        chapter.tags.emplace_back("title", SegmentTitle(segment.path, title_tag));
        chapters.push_back(std::move(chapter));
        at_s += length_s;
    }
    return chapters;
}

std::string Chapters::SegmentTitle(const std::string &path, const std::string &title_tag)
{
    if (!title_tag.empty())
        return title_tag;
    const std::filesystem::path file(path);
    const std::string stem = file.stem().string();
    return stem.empty() ? file.filename().string() : stem;
}

void Chapters::Apply(const std::vector<Chapter> &chapters, AVFormatContext *output)
{
    if (chapters.empty())
        return;
    auto **list = static_cast<AVChapter **>(av_calloc(chapters.size(), sizeof(AVChapter *)));
    if (!list)
        throw std::bad_alloc();
    // The context owns the list from here: avformat_free_context frees it with its entries.
    output->chapters = list;
    output->nb_chapters = 0;
    for (const Chapter &chapter : chapters) {
        auto *out = static_cast<AVChapter *>(av_mallocz(sizeof(AVChapter)));
        if (!out)
            throw std::bad_alloc();
        list[output->nb_chapters] = out;
        out->id = output->nb_chapters + 1;
        ++output->nb_chapters;
        out->time_base = kMilliseconds;
        out->start = std::llround(chapter.start_s * 1000.0);
        out->end = std::max<int64_t>(out->start + 1, std::llround(chapter.end_s * 1000.0));
        for (const auto &[key, value] : chapter.tags)
            CheckAv(av_dict_set(&out->metadata, key.c_str(), value.c_str(), 0), "name a chapter of",
                    output->url ? output->url : "");
    }
}

} // namespace dolmar
