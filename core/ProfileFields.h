// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/ProfileRecord.h"

namespace quillet {

/// Calls visit(key, member) for every member of the record, the ones without a profile-file key
/// under their own names. Files that keep whole records (the kept batch) write and read them
/// through this one list, so a member added to the record is added here once for both.
template<typename Record, typename Visit> void VisitProfile(Record &r, Visit &&visit)
{
    visit("profile_path", r.profile_path);
    visit("section_name", r.section_name);
    visit("FormatName", r.FormatName);
    visit("FormatHint", r.FormatHint);
    visit("TargetType", r.TargetType);
    visit("BeforePara", r.BeforePara);
    visit("Para", r.Para);
    visit("bCanBurn", r.bCanBurn);
    visit("BurnType", r.BurnType);
    visit("bDisableAudio", r.bDisableAudio);
    visit("bAudioCustomSampleRate", r.bAudioCustomSampleRate);
    visit("nAudioCustomSampleRate", r.nAudioCustomSampleRate);
    visit("bAudioCustomBitRate", r.bAudioCustomBitRate);
    visit("nAudioCustomBitRate", r.nAudioCustomBitRate);
    visit("nAudioChannel", r.nAudioChannel);
    visit("bAudioCustomVolume", r.bAudioCustomVolume);
    visit("nAudioVolume", r.nAudioVolume);
    visit("cAudioCodec", r.cAudioCodec);
    visit("bDisableVideo", r.bDisableVideo);
    visit("bVideoHighQuality", r.bVideoHighQuality);
    visit("bVideoCustomFrameRate", r.bVideoCustomFrameRate);
    visit("nVideoCustomFrameRate", r.nVideoCustomFrameRate);
    visit("bVideoCustomBitRate", r.bVideoCustomBitRate);
    visit("nVideoCustomBitRate", r.nVideoCustomBitRate);
    visit("nVideoBitRateLevel", r.nVideoBitRateLevel);
    visit("nVideoBitRateLevel2", r.nVideoBitRateLevel2);
    visit("nVideoBitRateLevel3", r.nVideoBitRateLevel3);
    visit("estimated_video_bit_rate", r.estimated_video_bit_rate);
    visit("source_height", r.source_height);
    visit("source_width", r.source_width);
    visit("source_display_aspect", r.source_display_aspect);
    visit("cVideoCodec", r.cVideoCodec);
    visit("bVideoEnableCrop", r.bVideoEnableCrop);
    visit("nVideoCropLeft", r.nVideoCropLeft);
    visit("nVideoCropRight", r.nVideoCropRight);
    visit("nVideoCropTop", r.nVideoCropTop);
    visit("nVideoCropBottom", r.nVideoCropBottom);
    visit("bVideoEnablePad", r.bVideoEnablePad);
    visit("nVideoPadLeft", r.nVideoPadLeft);
    visit("nVideoPadRight", r.nVideoPadRight);
    visit("nVideoPadTop", r.nVideoPadTop);
    visit("nVideoPadBottom", r.nVideoPadBottom);
    visit("nVideoPadColor", r.nVideoPadColor);
    visit("nVideoRiszeOption", r.nVideoRiszeOption);
    visit("nVideoCustomSizeX", r.nVideoCustomSizeX);
    visit("nVideoCustomSizeY", r.nVideoCustomSizeY);
    visit("nAspect", r.nAspect);
    visit("PostProcess", r.PostProcess);
}

} // namespace quillet
