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
 *   Transcoder::Run  (this file)                  one run; the caller's thread only reports
 *     '- Scheduler   the threads of the run and the queues between them (Scheduler.h draws
 *          |         the pipeline); the conductor thread runs Transcoder::Conduct:
 *          |-- InputFile          one per input, opened in turn: demuxer, -ss seek, SourceFacts
 *          |     '- TimestampMender   takes the jumps out of a transport or programme stream's
 *          |                          clock
 *          |-- OutputTargets      every choice about the output, made once from the plan and the
 *          |                      first input's SourceFacts (CodecCatalog: names -> encoders);
 *          |                      the sound of a merged run whose first clip is silent from the
 *          |                      first clip with sound
 *          |-- SubtitleFile       the -vhook file, read before the output exists
 *          |     '- BitmapSubtitles   VobSub/PGS pictures, blended by the engine
 *          |-- (FrameTiming, FilmCadence: the sustained rate and a film cadence, judged from the
 *          |                      first packets or pictures before the stages start)
 *          |-- OutputSession      one per run: an Encoder per stream (EncoderSettings) on its
 *          |     |                EncoderStage, an AudioFrameQueue per audio stream, the joined
 *          |     |                clock of a merged run
 *          |     '- MuxerStage -> Muxer   interleaving, the -fs limit, header and trailer, write
 *          |                              errors
 *          '-- SegmentRunner      one per input: DemuxerStage -> DecoderStage (Decoder) ->
 *                                 FilterGraphStage (VideoFilter / AudioFilter on FilterChain)
 *                                 -> the session (OutputSession::Feed)
 *
 *   VideoFilter's picture chain: turn upright (Orientation) -> deinterlace only the pictures
 *   CombDetector finds woven, or restore film (FilmCadence: fieldmatch + decimate) -> crop ->
 *   scale (zimg where it can, else swscale) -> tone-map an HDR source for an SDR output
 *   (HdrMetadata) -> subtitle -> pad -> the output's constant rate (FrameRateRules). The Muxer
 *   writes the chapters (Chapters) and the source's tags (SourceTags).
 *
 *   ProgressReporter  the caller's callback, called on the caller's thread only: the scheduler
 *                     reports the output position from there every 40 ms; on the stage threads
 *                     it only answers whether to stop, which is what FFmpeg's interrupt
 *                     callback asks inside long opens and reads.
 *   EngineError       every failure, thrown with the step and the file; the scheduler keeps the
 *                     first one of any stage, and ffmain reports it once and returns
 *                     DOLMAR_FAILED, or DOLMAR_BAD_ARGS for a refused vector.
 *   MediaProbe        GetMediaFileInfo's reading of a file into the flat records.
 *
 * One frame travels InputFile::Read -> Decoder::Decode -> VideoFilter/AudioFilter ->
 * OutputSession::Feed -> Encoder::Encode -> Muxer::Write, across five threads. Every FFmpeg
 * object is owned by a unique_ptr of AvOwners.h and every thread by a StageThread, so an
 * exception anywhere ends the run's threads and unwinds cleanly, and the Muxer removes a file it
 * did not finish. No state outside the run's objects: calls on several threads at once are
 * independent runs.
 *
 * The work and the memory of a run are bounded by the content, whatever its timestamps say: the
 * queues between the stages are bounded (StageItems.h), the filters only fill the gaps a frame's
 * timestamp opens (DecoderStage leaves out a frame that leaps past the input's stated end,
 * TimestampMender the jumps of a clock), the AudioFrameQueue holds at most 10 s of sound ahead
 * of the picture, and the Muxer's interleaving queue at most 10 s of one stream ahead of another
 * and 64 MiB.
 */

#include "ConversionPlan.h"
#include "Scheduler.h"

namespace dolmar {

class ProgressReporter;

/// How a conversion that did not fail ended.
enum class RunOutcome {
    Finished, ///< every input converted, or the -fs size reached
    Stopped, ///< the caller's callback asked to stop; the output was closed properly
};

/// Runs one ConversionPlan: the conductor opens each input in turn and runs its stages into the
/// output's encoders and muxer, while the calling thread reports progress. Failures are thrown as
/// EngineError, on the calling thread.
class Transcoder
{
public:
    /// fault: a test's hook into every stage (Scheduler.h); empty in a real run.
    Transcoder(const ConversionPlan &plan, ProgressReporter &progress, StageFault fault = {});
    RunOutcome Run();

private:
    void Conduct(Scheduler &scheduler);

    const ConversionPlan &m_plan;
    ProgressReporter &m_progress;
    StageFault m_fault;
};

} // namespace dolmar
