// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"

#include <cstdint>

namespace dolmar {

/// Samples on their way to an audio encoder, cut into the frame size the encoder demands.
///
/// Timestamps are the count of samples handed out, so the audio of a merged run runs on without a
/// gap or a jump across the joins, and silence can be added where a segment's audio ends early.
class AudioFrameQueue
{
public:
    /// Takes the encoder's sample format, rate, channel layout and frame size.
    explicit AudioFrameQueue(const AVCodecContext *encoder);

    /// Appends a filtered frame (already in the encoder's format).
    void Push(const AVFrame *frame);
    /// Appends silence.
    void PushSilence(int64_t samples);

    /// Fills frame with the next full encoder frame that ends at or before up_to_samples; at the
    /// end (final) also the partial rest. Returns false when no frame is due.
    bool Pop(AVFrame *frame, bool final, int64_t up_to_samples = INT64_MAX);

    /// Drops queued samples beyond end_samples (never ones already handed out).
    void Truncate(int64_t end_samples);

    /// Samples queued plus samples handed out: where the audio of the output ends.
    int64_t EndSamples() const;
    /// Samples handed out to the encoder.
    int64_t SamplesOut() const { return m_samples_out; }
    int SampleRate() const { return m_sample_rate; }

private:
    AudioFifoPtr m_fifo;
    const AVCodecContext *m_encoder;
    int m_sample_rate;
    int m_frame_size;
    int64_t m_samples_out = 0;
};

} // namespace dolmar
