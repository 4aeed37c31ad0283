// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/*
 * The engine inside libdolmar: who talks to whom. Start reading here.
 *
 *   ffmain (EntryPoints.cpp)                      the C entry points; catch everything
 *     |
 *     |  argv                                     docs/engine-options.md
 *     v
 *   OptionParser ---> ConversionPlan              plain values, nothing of FFmpeg
 *     |
 *     v
 *   Transcoder::Run  (this file)                  one run, on the caller's thread
 *     |-- InputFile          one per input, opened in turn: demuxer, -ss seek, SourceFacts
 *     |     '- TimestampMender   takes the jumps out of a transport or programme stream's clock
 *     |-- OutputTargets      every choice about the output, made once from the plan and the
 *     |                      first input's SourceFacts (CodecCatalog: names -> encoders)
 *     |-- SubtitleFile       the -vhook file, read before the output exists
 *     |     '- BitmapSubtitles   VobSub/PGS pictures, blended by the engine
 *     |-- OutputSession      one per run: an Encoder per stream (EncoderSettings), an
 *     |     |                AudioFrameQueue per audio stream, the joined clock of a merged run
 *     |     '- Muxer         interleaving, the -fs limit, header and trailer, write errors
 *     '-- SegmentRunner      one per input: packets -> Decoder -> VideoFilter / AudioFilter
 *                            (FilterChain on libavfilter) -> OutputSession
 *
 *   ProgressReporter  the caller's callback. The runner and the session poll it between units
 *                     of work, FFmpeg's interrupt callback inside long opens and reads; a -1
 *                     from the caller comes back through it as Stop.
 *   EngineError       every failure, thrown with the step and the file; ffmain reports it once
 *                     and returns DOLMAR_FAILED, or DOLMAR_BAD_ARGS for a refused vector.
 *   MediaProbe        GetMediaFileInfo's reading of a file into the flat records.
 *
 * One frame travels InputFile::Read -> Decoder::Decode -> VideoFilter/AudioFilter ->
 * OutputSession::SendVideo/SendAudio -> Encoder::Encode -> Muxer::Write. Objects live on the
 * stack of Transcoder::Run; every FFmpeg object is owned by a unique_ptr of AvOwners.h, so an
 * exception anywhere unwinds cleanly and the Muxer removes a file it did not finish.
 *
 * The work and the memory of a run are bounded by the content, whatever its timestamps say: the
 * stages hand frames on synchronously, the filters only fill the gaps a frame's timestamp opens
 * (SegmentRunner leaves out a frame that leaps past the input's stated end, TimestampMender the
 * jumps of a clock), the AudioFrameQueue holds at most 10 s of sound ahead of the picture, and
 * the Muxer's interleaving queue at most 10 s of one stream ahead of another and 64 MiB.
 */

#include "ConversionPlan.h"

namespace dolmar {

class ProgressReporter;

/// How a conversion that did not fail ended.
enum class RunOutcome {
    Finished, ///< every input converted, or the -fs size reached
    Stopped, ///< the caller's callback asked to stop; the output was closed properly
};

/// Runs one ConversionPlan: the loop that pulls packets from each input in turn, decodes them,
/// sends the frames through the segment's filters and on to the output's encoders and muxer.
/// Failures are thrown as EngineError.
class Transcoder
{
public:
    Transcoder(const ConversionPlan &plan, ProgressReporter &progress);
    RunOutcome Run();

private:
    const ConversionPlan &m_plan;
    ProgressReporter &m_progress;
};

} // namespace dolmar
