// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ExtensionList.h"

#include "platform/TextCase.h"

namespace quillet {

namespace {

/// Calls visit with each entry of list, without its dot.
template<typename Visit> bool AnyEntry(std::string_view list, Visit visit)
{
    while (!list.empty()) {
        list.remove_prefix(list.front() == '.' ? 1 : 0);
        const auto end = list.find('.');
        if (visit(list.substr(0, end)))
            return true;
        list = end == std::string_view::npos ? std::string_view() : list.substr(end);
    }
    return false;
}

} // namespace

const std::string_view kAcceptedExtensions
    = ".ts.m2ts.m2t.tp.mts.avi.avs.mp4.3gp.dat.qt.mov.mpg.mpeg.m1v.wmv.rmvb.rm.asf"
      ".3gp2.3g2.3gpp.flv.fli.flc.m4v.dv.mkv.ogm.dsm.vob.gif"
      ".webm.mxf.ogv.f4v.divx.m2v.mod.tod"
      ".mp3.mp2.aac.m4a.flac.wav.ogg.oga.opus.wma.ac3.mka.aif.aiff.amr.wv.ape";

std::vector<TypeFilter> OpenFileFilters()
{
    return {
        // Made from the accepted list, so the dialog offers exactly what a scan or a drop takes.
        {"All support files", ExtensionPatterns(kAcceptedExtensions)},
        {"HD video files(.ts,.m2ts,.m2t,.tp,.mts)", "*.ts;*.m2ts;*.m2t;*.tp;*.mts"},
        {"Directshow files",
         "*.rm; *.rmvb; *.avi; *.dat; *.qt; *.mov; *.mpg; *.mpeg; *.m1v; *.wmv; *.asf"},
        {"Mpeg files(.mpg,.vob,.dat)", "*.rm; *.mpg; *.mpeg; *.m1v; *.vob; *.dat"},
        {"AVI files(.avi)", "*.avi"},
        {"WMV files(.wmv,.asf)", "*.wmv; *.asf"},
        {"Real Video files(.rmvb,.rm)", "*.rm; *.rmvb"},
        {"3gp Video files(.3gp)", "*.3gp; *.3gp2; *.3g2; *.3gpp"},
        {"Mpeg4 Video files(.mp4)", "*.mp4; *.m4v"},
        {"Flash Video files(.flv)", "*.flv; *.f4v"},
        {"Avisynth script files(.avs)", "*.avs"},
        {"QuickTime files(.mov)", "*.mov; *.qt"},
        {"Matroska files(.mkv,.mka)", "*.mkv; *.mka"},
        {"WebM files(.webm)", "*.webm"},
        {"MXF files(.mxf)", "*.mxf"},
        {"Audio files",
         "*.mp3; *.mp2; *.aac; *.m4a; *.flac; *.wav; *.ogg; *.oga; *.opus; *.wma; "
         "*.ac3; *.mka; *.aif; *.aiff; *.amr; *.wv; *.ape"},
        {"MP3 files(.mp3)", "*.mp3"},
        {"AAC files(.aac,.m4a)", "*.aac; *.m4a"},
        {"FLAC files(.flac)", "*.flac"},
        {"WAV files(.wav)", "*.wav"},
        {"Ogg and Opus files(.ogg,.oga,.opus)", "*.ogg; *.oga; *.opus"},
        {"WMA files(.wma)", "*.wma"},
        {"AC-3 files(.ac3)", "*.ac3"},
        {"All files(*.*)", "*.*"},
    };
}

bool ExtensionInList(std::string_view list, std::string_view extension)
{
    if (extension.starts_with('.'))
        extension.remove_prefix(1);
    if (extension.empty())
        return false;
    return AnyEntry(list, [&](std::string_view entry) {
        return platform::EqualsIgnoringCase(entry, extension);
    });
}

std::string ExtensionPatterns(std::string_view list)
{
    std::string patterns;
    AnyEntry(list, [&](std::string_view entry) {
        if (!entry.empty())
            patterns += (patterns.empty() ? "*." : "; *.") + std::string(entry);
        return false;
    });
    return patterns;
}

} // namespace quillet
