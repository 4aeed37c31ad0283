// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ContainerOverhead.h"
#include "core/ProfileRecord.h"
#include "core/Task.h"
#include "core/TaskList.h"

#include <string>
#include <vector>

/**
 * The parts an output will be made of, read from what a run will ask of the engine: the task's
 * trim points and audio tracks, its profile's options (Para and the record's own, in the order the
 * argument builder writes them, the last one winning as in the engine) and what the probe
 * measured of the source (frame rate, sample rate, channels and bit rates of its streams). The
 * size model (SizeModel.h) turns a shape into bytes; the disc budget (DiscBudget.h) changes its
 * video rate.
 */
namespace quillet::sizing {

/// How a stream's bit rate comes about.
enum class RateKind {
    Absent, ///< the output has no such stream
    Fixed, ///< the encoder is given a rate: -b, -ab, a codec's default rate, PCM
    Copied, ///< the source's stream is taken over at the rate it was measured at
    QualityBased, ///< constant quality or quantiser (-crf, -qscale, -aq, -b 0): the rate follows
                  ///< the picture and is known only from a sample encode
};

/// One stream of the output.
struct StreamPart
{
    RateKind kind = RateKind::Absent;
    double kbps = 0; ///< for QualityBased a guess from the picture size, or 0 without one
    double packets_per_s = 0; ///< pictures or audio frames a second
};

/// What an output will hold.
struct OutputShape
{
    double duration_s = 0; ///< trims included; a merged output lasts the sum of its sources
    Container container = Container::Other;
    StreamPart video;
    std::vector<StreamPart> audio; ///< in output order
    /// Subtitle streams written into the file. The engine writes none (a subtitle is burnt into
    /// the picture, at the picture's rate), so shapes read from tasks keep 0.
    double subtitle_bytes = 0;
    int width = 0; ///< the output picture with its pad bands; 0 when unknown
    int height = 0;
    double frame_rate = 0;
    std::string video_codec; ///< the encoder as the profile names it, lower case ("h264")
    /// The most the device or disc format takes, from the profile: -maxrate, the H.264 level
    /// and -vprofile, the disc family (DVD, AVCHD, Blu-ray). 0 when nothing limits it.
    double device_ceiling_kbps = 0;

    bool HasVideo() const { return video.kind != RateKind::Absent; }
};

/**
 * The seconds of the source a run converts: its trim points applied and clamped to the file
 * (a trim end past the end of the file converts up to the end).
 */
double EffectiveDurationS(const Task &task);

/// The output a single-task run makes of task with its own profile copy.
OutputShape ShapeOf(const Task &task);

/**
 * The output a merged run makes of every task with current: the sources' whole lengths (merged
 * runs write no trims), one audio stream, the first source's picture facts where the profile
 * keeps them.
 */
OutputShape MergedShapeOf(const TaskList &tasks, const ProfileRecord &current);

} // namespace quillet::sizing
