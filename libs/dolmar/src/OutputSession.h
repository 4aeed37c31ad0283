// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AudioFrameQueue.h"
#include "AvOwners.h"
#include "ConversionPlan.h"
#include "Encoder.h"
#include "EncoderStage.h"
#include "Muxer.h"
#include "MuxerStage.h"
#include "OutputTargets.h"
#include "StageItems.h"

#include <memory>
#include <vector>

namespace dolmar {

class ProgressReporter;
class Scheduler;

/// The output side of a run: one encoder per output stream, each on its EncoderStage, the muxer on
/// its MuxerStage, and the running clock that joins segments without a gap (the session).
///
/// Video frames arrive with timestamps counted from the start of their segment; the session adds
/// the segment's offset. Audio runs on its sample count, and is encoded only as far as the
/// picture has got, so that at the end of a segment a sound tail that is only codec padding (an
/// AAC or MP3 source decodes up to a frame past its end) can still be cut off. A longer
/// difference is content: the shorter of picture and sound is brought up to the longer one
/// (silence, or the last picture held), so the next segment starts with both together.
///
/// The session runs on one thread at a time: Feed on the session thread while an input is
/// converted, every other member on the conductor's thread between inputs.
class OutputSession
{
public:
    /// Opens every encoder, then creates the file, writes its header and starts the encoder and
    /// muxer stages. Throws EngineError.
    OutputSession(const ConversionPlan &plan, const OutputTargets &targets,
                  ProgressReporter &progress, Scheduler &scheduler);
    /// Ends the stages of a run that did not finish; the Muxer then removes the file.
    ~OutputSession();
    OutputSession(const OutputSession &) = delete;
    OutputSession &operator=(const OutputSession &) = delete;

    const OutputTargets &Targets() const { return m_targets; }
    bool HasVideo() const { return m_video != nullptr; }
    std::size_t AudioCount() const { return m_audio.size(); }

    /// The session of one input: hands the filtered frames of queue to the encoders until every
    /// filter graph has finished or the run is cut.
    void Feed(SessionQueue &queue);

    /// silent: the segment has no sound of its own; the output's sound gets silence as its
    /// picture goes.
    void StartSegment(bool silent);
    /// Evens out picture and sound at a segment's end; repeat_picture when another follows.
    /// False when the run is being cut.
    bool EndSegment(bool repeat_picture);
    /// Ends the run's output: drains the sound held back when the inputs were converted to their
    /// end, lets every stage finish, then writes the trailer and closes the file. After a stop
    /// the file ends where the conversion got to; after a failure it is left for the destructor.
    void Finish();

    double PositionSeconds() const;
    int64_t VideoFramesSent() const { return m_video_next_pts; }
    int64_t AudioSamplesSent() const;

private:
    struct AudioOut
    {
        std::unique_ptr<Encoder> encoder;
        std::unique_ptr<AudioFrameQueue> queue;
        std::unique_ptr<EncoderStage> stage;
        int stream_index = -1;
    };

    bool SendVideo(AVFrame *frame, AVRational time_base);
    bool SendAudio(std::size_t index, const AVFrame *frame);
    bool DrainQueue(AudioOut &audio, bool final);
    void FillSilenceToPicture();
    double VideoEndSeconds() const;
    void JoinStages();

    const ConversionPlan &m_plan;
    OutputTargets m_targets;
    ProgressReporter &m_progress;
    Scheduler &m_scheduler;
    std::unique_ptr<Muxer> m_muxer;
    std::unique_ptr<Encoder> m_video;
    int m_video_stream = -1;
    std::vector<AudioOut> m_audio;
    FramePtr m_last_picture;
    FramePtr m_audio_frame;
    int64_t m_video_offset = 0;
    int64_t m_video_next_pts = 0;
    bool m_silent_segment = false;
    bool m_finished = false; ///< every stage has ended
    // The stages go before the encoders and the muxer they use.
    std::unique_ptr<MuxerStage> m_muxer_stage;
    std::unique_ptr<EncoderStage> m_video_stage;
};

} // namespace dolmar
