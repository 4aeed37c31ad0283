// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AvOwners.h"
#include "FilterChain.h"
#include "OutputTargets.h"

#include <optional>

namespace dolmar {

struct AudioFilterSetup
{
    const AudioTarget *target = nullptr;
    int threads = 0;
    double trim_start_s = 0; ///< source seconds
    std::optional<double> trim_end_s;
    /// A rebuilt chain continues the segment: no lead-in silence from time 0.
    bool continuing = false;
};

/// The audio path of one segment for one output stream: volume, the -ss/-t window, then one
/// resampler that mixes the channels down or up, converts rate and sample format, and keeps
/// the sound on its timestamps (silence where the source has a hole or starts late).
class AudioFilter
{
public:
    AudioFilter(const AudioFilterSetup &setup, const AVFrame *first, AVRational time_base);

    /// False when frame's format, rate or channels differ from what the chain was built for.
    bool Accepts(const AVFrame *frame) const;
    void Push(AVFrame *frame);
    /// Ends the input at pts (source time base): the -t point.
    void Close(int64_t pts);
    int Pull(AVFrame *frame);

    /// The filters a frame passes, in order (FilterChain::Description).
    const std::string &Description() const { return m_chain.Description(); }

    /// True when the mix into target folds source's channels into fewer (surround into stereo,
    /// anything into mono): then the mix is scaled so that no output channel can pass full
    /// scale, whatever the encoder.
    static bool MixesDown(const AVChannelLayout &source, const AVChannelLayout &target);

private:
    FilterChain m_chain;
    int m_format;
    int m_sample_rate;
    AVChannelLayout m_layout{};
};

} // namespace dolmar
