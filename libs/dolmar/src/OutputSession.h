// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioFrameQueue.h"
#include "AvOwners.h"
#include "ConversionPlan.h"
#include "Encoder.h"
#include "Muxer.h"
#include "OutputTargets.h"

#include <memory>
#include <vector>

namespace dolmar {

class ProgressReporter;

/// The output side of a run: one encoder per output stream, the muxer, and the running clock
/// that joins segments without a gap.
///
/// Video frames arrive with timestamps counted from the start of their segment; the session adds
/// the segment's offset. Audio runs on its sample count, and is encoded only as far as the
/// picture has got, so that at the end of a segment a sound tail that is only codec padding (an
/// AAC or MP3 source decodes up to a frame past its end) can still be cut off. A longer
/// difference is content: the shorter of picture and sound is brought up to the longer one
/// (silence, or the last picture held), so the next segment starts with both together.
class OutputSession
{
public:
    /// Opens every encoder, then creates the file and writes its header. Throws EngineError.
    OutputSession(const ConversionPlan &plan, const OutputTargets &targets,
                  ProgressReporter &progress);

    const OutputTargets &Targets() const { return m_targets; }
    bool HasVideo() const { return m_video != nullptr; }
    std::size_t AudioCount() const { return m_audio.size(); }

    /// The following calls return false when the run must end now: the -fs size is reached or
    /// the caller asked to stop.
    bool SendVideo(AVFrame *frame, AVRational time_base);
    bool SendAudio(std::size_t index, const AVFrame *frame);

    void StartSegment();
    /// Evens out picture and sound at a segment's end; repeat_picture when another follows.
    bool EndSegment(bool repeat_picture);
    /// Drains the audio queues and every encoder at the end of the run, also after a stop: what
    /// the encoders still hold (libx264 keeps a second or two of pictures) belongs in the file.
    bool Flush();
    /// Writes the trailer and closes the file. complete: the run reached the end of its inputs.
    void Finish(bool complete);

    bool SizeLimitReached() const { return m_size_limit_reached; }
    double PositionSeconds() const;
    int64_t VideoFramesSent() const { return m_video_next_pts; }
    int64_t AudioSamplesSent() const;

private:
    struct AudioOut
    {
        std::unique_ptr<Encoder> encoder;
        std::unique_ptr<AudioFrameQueue> queue;
        int stream_index = -1;
    };

    bool EncodeVideo(const AVFrame *frame);
    bool DrainQueue(AudioOut &audio, bool final);
    double VideoEndSeconds() const;
    bool WritePacket(AVPacket *packet, int stream_index, AVRational time_base);

    const ConversionPlan &m_plan;
    OutputTargets m_targets;
    ProgressReporter &m_progress;
    std::unique_ptr<Muxer> m_muxer;
    std::unique_ptr<Encoder> m_video;
    int m_video_stream = -1;
    std::vector<AudioOut> m_audio;
    FramePtr m_last_picture;
    FramePtr m_audio_frame;
    int64_t m_video_offset = 0;
    int64_t m_video_next_pts = 0;
    bool m_size_limit_reached = false;
    bool m_flushing = false;
};

} // namespace dolmar
