// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <span>
#include <string>
#include <string_view>

/**
 * The catalogue of every user-visible text the program looks up: its language-file section, its
 * key and its built-in English text. The windows, the core's run messages and the subtitle style
 * library take their defaults from here, so the English texts live in one place; the shipped
 * language files are checked against it (a key missing from a file, or one a file spells
 * differently, would silently show English).
 *
 * Call sites name a text with CataloguedKey("MAIN_DLG", "btnAddInfo"), which is evaluated while
 * compiling: a misspelt section or key does not build. Windows show one through UiText
 * (texts/ui/UiText.h); toolkit-free code through LookupKey.
 */
namespace quillet {

class Texts;

/// One user-visible text: where a language file holds it and the English text that stands in
/// when no language file has it.
struct LanguageKey
{
    std::string_view section;
    std::string_view key;
    std::string_view default_text;
};

// Keys are spelled as the language files in circulation spell them, misspellings included
// ("btnOrginalFrameRateInfo", "btnVidelLevelInfo"): renaming one would orphan every translation.
// Defaults are the texts the call sites pass, before escape replacement; "&" marks a keyboard
// shortcut and "&&" shows a single "&". Values holding printf conversions are formats the caller
// fills after the lookup, so their conversions are part of the contract with translators.
inline constexpr LanguageKey kLanguageKeys[] = {
    // Main window: captions, tooltips, list headers, menus, summary line and messages.
    {"MAIN_DLG", "strWebsiteTooltip", "welcome to %s website"},
    {"MAIN_DLG", "strOutputProfileNameInfo", "profile:"},
    {"MAIN_DLG", "strOutputFolderInfo", "Default output folder:"},
    {"MAIN_DLG", "btnAddInfo", "&New Task"},
    {"MAIN_DLG", "btnAddTooltip", "Add File(s)"},
    {"MAIN_DLG", "btnRemoveInfo", "&Delete"},
    {"MAIN_DLG", "btnRemoveTooltip", "Remove files in the list"},
    {"MAIN_DLG", "btnDownInfo", "&Down"},
    {"MAIN_DLG", "btnDownTooltip", "Move Down"},
    {"MAIN_DLG", "btnUpInfo", "&Up"},
    {"MAIN_DLG", "btnUpTooltip", "Move Up"},
    {"MAIN_DLG", "btnAudioTrackInfo", "Audio..."},
    {"MAIN_DLG", "btnAudioTrackTooltip", "Audio track settings"},
    {"MAIN_DLG", "btnSubtitleInfo", "Subtitle..."},
    {"MAIN_DLG", "btnSubtitleTooltip", "Subtitle settings"},
    {"MAIN_DLG", "btnUpdateTooltip", "Check for update"},
    {"MAIN_DLG", "btnSettingsTooltip", "System settings"},
    {"MAIN_DLG", "btnOpenOutputFolderInfo", "&Open"},
    {"MAIN_DLG", "btnOpenOutputFolderTooltip", "Open output folder"},
    {"MAIN_DLG", "btnChangeOutputFolderInfo", "..."},
    {"MAIN_DLG", "btnChangeOutputFolderTooltip", "Change output folder"},
    {"MAIN_DLG", "btnConvertInfo", "&Convert"},
    {"MAIN_DLG", "btnConvertTooltip", "Start converting"},
    {"MAIN_DLG", "btnConvert2Info", "&Cancel"},
    {"MAIN_DLG", "btnConvert2Tooltip", "Cancel"},
    {"MAIN_DLG", "btnOptionInfo", "O&ptions"},
    {"MAIN_DLG", "btnOptionTooltip", "Change profile option"},
    {"MAIN_DLG", "btnApplyAllInfo", "Apply to All"},
    {"MAIN_DLG", "btnMergeFileInfo", "Merge into one file"},
    {"MAIN_DLG", "strList0Info", "Source"},
    {"MAIN_DLG", "strList1Info", "Original Length"},
    {"MAIN_DLG", "strList2Info", "Trimmed Length"},
    {"MAIN_DLG", "strList3Info", "Estimated Size"},
    {"MAIN_DLG", "strList4Info", "Destination File"},
    {"MAIN_DLG", "strAddFileInfo", "Add file(s)..."},
    {"MAIN_DLG", "strAddFolderInfo", "Add folder"},
    {"MAIN_DLG", "strAddAVCHDInfo", "Copy from AVCHD/Blu-ray disc"},
    {"MAIN_DLG", "strAddFolderTitleInfo", "Add file(s)"},
    {"MAIN_DLG", "strAddFolderSpecInfo", "Choose a directory to add files"},
    {"MAIN_DLG", "strSearchSubFolderInfo", "Do you want search sub folder?"},
    {"MAIN_DLG", "strNoItemSelectedInfo", "No items were selected!"},
    {"MAIN_DLG", "strProfileNameExistedInfo",
     "A profile with this name already exists. Please choose another profile name."},
    {"MAIN_DLG", "strLanguageInfo", "Language"},
    // The menu appends "\tF1", "\tCtrl+E" and "\tAlt+F4" to these three itself.
    {"MAIN_DLG", "strHelpInfo", "&Help"},
    {"MAIN_DLG", "strMediaplayerInfo", "Media player"},
    {"MAIN_DLG", "strExitInfo", "Exit"},
    {"MAIN_DLG", "strFolderTitleInfo", "Choose a directory"},
    {"MAIN_DLG", "strFolderDescInfo", "Choose a directory for saving output files"},
    {"MAIN_DLG", "strChangeOutputFolderTipsInfo",
     "Do you want the output files of all tasks to be saved in the new output folder?"},
    {"MAIN_DLG", "strListAddInfo", "Add file(s)..."},
    {"MAIN_DLG", "strListAddFolderInfo", "Add folder..."},
    {"MAIN_DLG", "strListRemoveInfo", "Remove"},
    {"MAIN_DLG", "strListRemoveAllInfo", "Remove all"},
    {"MAIN_DLG", "strListConvertInfo", "Convert"},
    {"MAIN_DLG", "strListConvertAgainInfo", "Convert again"},
    {"MAIN_DLG", "strListProfileInfo", "Profile settings"},
    {"MAIN_DLG", "strListFileInfo", "Properties"},
    {"MAIN_DLG", "strListAudioTrackInfo", "Audio track..."},
    {"MAIN_DLG", "strListSubtitleInfo", "Subtitle..."},
    {"MAIN_DLG", "strRemoveSelectedInfo", "Remove selected file"},
    {"MAIN_DLG", "strRemoveAllInfo", "Remove all"},
    // The summary line joins these with its own ": %d | " pieces into one format, so none of
    // them may hold a conversion of its own.
    {"MAIN_DLG", "strTotalInfo", "Total"},
    {"MAIN_DLG", "strLengthInfo", "Length"},
    {"MAIN_DLG", "strTotalSizeInfo", "Total Size"},
    {"MAIN_DLG", "strMediaType", ""},
    {"MAIN_DLG", "strProgressInfoTooltips", "Please Add File(s)"},
    {"MAIN_DLG", "strCompletedInfo", "Completed"},
    {"MAIN_DLG", "strTimeLeftInfo", "Time Left"},
    {"MAIN_DLG", "strDestinationFileInfo", "Destination File"},
    {"MAIN_DLG", "strStartConvertingInfo", "Start converting"},
    {"MAIN_DLG", "strApplyAllTipsInfo", "Apply current Profile and Settings to All?"},
    // The desktop notification at the end of a batch; "%d" are counts of files.
    {"MAIN_DLG", "strBatchEndTitleInfo", "Conversion finished"},
    {"MAIN_DLG", "strBatchConvertedOneInfo", "1 file converted"},
    {"MAIN_DLG", "strBatchConvertedInfo", "%d files converted"},
    {"MAIN_DLG", "strBatchFailedInfo", ", %d failed"},
    // What the last run made of each task, as its row's tooltip says.
    {"MAIN_DLG", "strTaskMadeInfo", "Converted"},
    {"MAIN_DLG", "strTaskFailedInfo", "Failed"},
    {"MAIN_DLG", "strTaskPostProcessFailedInfo", "Post-processing failed"},
    {"MAIN_DLG", "strTaskCancelledInfo", "Cancelled"},
    // The split list's entries as the list and the summary line show them (the entries
    // themselves are core/SplitPresets.h's); "%s" is the custom size in MB.
    {"MAIN_DLG", "strSplitDvd5Info", "DVD-5 (4.7GB)"},
    {"MAIN_DLG", "strSplitDvd9Info", "DVD-9 (8.5GB)"},
    {"MAIN_DLG", "strSplitBd25Info", "BD-25 (25GB)"},
    {"MAIN_DLG", "strSplitBd50Info", "BD-50 (50GB)"},
    {"MAIN_DLG", "strSplitCustomInfo", "Custom"},
    {"MAIN_DLG", "strSplitNoneInfo", "No split"},
    {"MAIN_DLG", "strSplitSizeInfo", "Split size: %s MB"},
    // The line under the banner's picture.
    {"MAIN_DLG", "strTaglineInfo", "Convert video and audio for all your devices"},
    // The settings menu's choice of how many files convert at once.
    {"MAIN_DLG", "strSimultaneousInfo", "Simultaneous conversions"},
    {"MAIN_DLG", "strSimultaneousAutoInfo", "Automatic"},
    // The output folder check, the disc fill beyond the disc and the media player.
    {"MAIN_DLG", "strFolderNotWritableInfo",
     "The folder %s cannot be written to. Please choose another output folder."},
    {"MAIN_DLG", "strDiscFillInfo", "%s: %d%% full"},
    {"MAIN_DLG", "strNoMediaPlayerInfo", "No media player is set up on this desktop to open %s."},
    {"MAIN_DLG", "strNothingToPlayInfo", "Please select one task to play."},
    // What a screen reader calls the controls that have no label of their own.
    {"MAIN_DLG", "strTaskListName", "Task list"},
    {"MAIN_DLG", "strSizeListName", "Output size limit"},

    // The profile picker's group names that are not device names.
    {"PROFILE_COMBO_DLG", "strCommonVideoInfo", "Common Video"},
    {"PROFILE_COMBO_DLG", "strCommonAudioInfo", "Common Audio"},
    {"PROFILE_COMBO_DLG", "strAndroidTvInfo", "Android and TV"},
    {"PROFILE_COMBO_DLG", "strWebSharingInfo", "Web and Sharing"},
    {"PROFILE_COMBO_DLG", "strArchiveInfo", "Archive"},
    {"PROFILE_COMBO_DLG", "strOtherProfilesInfo", "Other Profiles"},
    {"PROFILE_COMBO_DLG", "strAllProfilesInfo", "All Profiles"},
    {"PROFILE_COMBO_DLG", "strProfileGroupsName", "Profile groups"},
    {"PROFILE_COMBO_DLG", "strProfilesName", "Profiles"},

    {"COMMON_INFO", "strOutofMemoryInfo", "Out of memory"},

    // The probe's information text: file name, hours, minutes, seconds, start time, kbit/s.
    {"CONVERSION_INFO", "strFormatInfo",
     "File Name:%s\r\nDuration:%02d:%02d:%02.1f\r\nStart Time:%.3fs\r\nBit Rate:%dkbit/s"},
    {"CONVERSION_INFO", "strReadfileFailInfo", "Read file Error."},
    {"CONVERSION_INFO", "strGetMediaFileFailInfo", "GetMediaFileInfo Error."},

    // A conversion run's own messages. The core fills the two formats: %d is the engine's
    // result or the post-processing command's exit status, %s why the command did not start.
    {"CONVERSION_RUN", "strFailedFilesInfo", "These files could not be converted:"},
    {"CONVERSION_RUN", "strNoOutputWrittenInfo", "no output file was written"},
    {"CONVERSION_RUN", "strEngineResultInfo", "the conversion failed (engine result %d)"},
    {"CONVERSION_RUN", "strPostProcessNotRunInfo",
     "converted, but the post-processing command did not run: %s"},
    {"CONVERSION_RUN", "strPostProcessFailedInfo",
     "converted, but the post-processing command failed (status %d)"},
    {"CONVERSION_RUN", "strSourceChangedInfo", "the file changed while it was converted"},
    // The values as text, then the profile's name.
    {"CONVERSION_RUN", "strFrameRateRefusedInfo",
     "the value \"%s\" of nVideoCustomFrameRate in the profile \"%s\" is not a frame rate "
     "between 1 and 1000"},
    // Size planning (core/SizeTexts.h): the file count, sizes as text, the disc's name.
    {"CONVERSION_RUN", "strDiscPlanTooSmallInfo",
     "These %d files need at least %s at the lowest quality this profile allows; %s holds %s"},
    {"CONVERSION_RUN", "strDiscPlanTooSmallOneInfo",
     "This file needs at least %s at the lowest quality this profile allows; %s holds %s"},
    {"CONVERSION_RUN", "strOutputCutInfo", "cut at %s: %.1f s of %.1f s"},
    {"CONVERSION_RUN", "strPlannedToFitInfo", "planned to fit %s"},

    // Option sheet: tabs, its two added buttons and the save menu.
    {"OPTION_DLG", "tabAudioPageInfo", "Audio"},
    {"OPTION_DLG", "tabVideoPageInfo", "Video"},
    {"OPTION_DLG", "tabResizePageInfo", "Resize"},
    {"OPTION_DLG", "tabCropPadPageInfo", "Crop & Pad"},
    {"OPTION_DLG", "btnSaveApplyInfo", "Save&&Apply"},
    {"OPTION_DLG", "btnDefaultInfo", "Default"},
    {"OPTION_DLG", "strSaveInfo", "Save and Apply"},
    {"OPTION_DLG", "strSaveAsInfo", "Save as and Apply"},
    // The sheet's own OK and Cancel, and the message of a save the file refused (%s: the file).
    {"OPTION_DLG", "btnOKInfo", "OK"},
    {"OPTION_DLG", "btnCancelInfo", "Cancel"},
    {"OPTION_DLG", "strSaveFailedInfo", "The profile could not be saved in %s."},
    // The sheet's caption; %s is the profile's name.
    {"OPTION_DLG", "strTitleInfo", "%s - Options"},

    // Audio page. The keys named "frame rate" label the sample rate.
    {"OPTION_AUDIO_DLG", "btnDisableAudioInfo", "Disable audio"},
    {"OPTION_AUDIO_DLG", "btnSampleRateInfo", "Sampling rate"},
    {"OPTION_AUDIO_DLG", "btnOrginalFrameRateInfo", "Original sample rate (or system default)"},
    {"OPTION_AUDIO_DLG", "btnCustomFrameRateInfo", "Custom"},
    {"OPTION_AUDIO_DLG", "btnBitrateInfo", "Bit rate"},
    {"OPTION_AUDIO_DLG", "btnOriginalBitrateInfo", "Original bit rate (or system default)"},
    {"OPTION_AUDIO_DLG", "btnCustomBitrateInfo", "Custom"},
    {"OPTION_AUDIO_DLG", "btnAudioVolInfo", "Volume, 256 is normal (100-600)"},
    {"OPTION_AUDIO_DLG", "btnAdjustVolInfo", "Adjust audio volume"},
    {"OPTION_AUDIO_DLG", "strAudioChannelInfo", "Audio channel"},
    {"OPTION_AUDIO_DLG", "strAudioCodecInfo", "Audio codec"},
    {"OPTION_AUDIO_DLG", "strFrameRateLabelInfo", "Hz"},
    {"OPTION_AUDIO_DLG", "strBitrateLabelInfo", "kbit / s"},
    {"OPTION_AUDIO_DLG", "strVolLabelInfo", "level"},
    // The channel list, by stored channel count (0 keeps the source's).
    {"OPTION_AUDIO_DLG", "strChannelAutoInfo", "Auto"},
    {"OPTION_AUDIO_DLG", "strChannelMonoInfo", "Mono"},
    {"OPTION_AUDIO_DLG", "strChannelStereoInfo", "Stereo"},

    // Video page.
    {"OPTION_VIDEO_DLG", "btnDisableVideoInfo", "Disable video"},
    {"OPTION_VIDEO_DLG", "btnVideoFramerateInfo", "Frame rate"},
    {"OPTION_VIDEO_DLG", "btnVideoFramerateOriginalInfo",
     "Original frame rate (or system default)"},
    {"OPTION_VIDEO_DLG", "btnVideoFramerateCustomInfo", "Custom"},
    {"OPTION_VIDEO_DLG", "btnVideoBitrateInfo", "Bit rate"},
    {"OPTION_VIDEO_DLG", "btnOriginalBitrateInfo", "Original video bit rate (or system default)"},
    {"OPTION_VIDEO_DLG", "btnCustomBitrateInfo", "Custom"},
    {"OPTION_VIDEO_DLG", "btnHQSettingsInfo", "Activate high quality settings"},
    {"OPTION_VIDEO_DLG", "btnVidelLevelInfo", "Advanced"},
    {"OPTION_VIDEO_DLG", "strVideoCodecInfo", "Video codec"},
    {"OPTION_VIDEO_DLG", "strFramerateLabelInfo", "frames / second"},
    {"OPTION_VIDEO_DLG", "strBitrateLabelInfo", "kbit / s"},
    {"OPTION_VIDEO_DLG", "strVideoLevelInfo", "Default bit rate quotiety"},
    {"OPTION_VIDEO_DLG", "strConstantQualityInfo", "constant quality (%s)"},

    // Resize page.
    {"OPTION_RESIZE_DLG", "btnResizeInfo", "Resize (Width x Height)"},
    {"OPTION_RESIZE_DLG", "btnOriginalSizeInfo", "Original size"},
    {"OPTION_RESIZE_DLG", "btnCustomSizeInfo", "Custom size"},
    {"OPTION_RESIZE_DLG", "btnAspectratioInfo", "Aspect ratio"},
    {"OPTION_RESIZE_DLG", "btnNormalAspectratioInfo", "Normal"},

    // Crop & Pad page.
    {"OPTION_CROPPAD_DLG", "btnCropInfo", "Crop"},
    {"OPTION_CROPPAD_DLG", "btnEnableCropInfo", "Enable crop"},
    {"OPTION_CROPPAD_DLG", "btnPadInfo", "Pad"},
    {"OPTION_CROPPAD_DLG", "btnEnablePadInfo", "Enable pad"},
    {"OPTION_CROPPAD_DLG", "strCropLeftInfo", "Left"},
    {"OPTION_CROPPAD_DLG", "strCropRightInfo", "Right"},
    {"OPTION_CROPPAD_DLG", "strCropTopInfo", "Top"},
    {"OPTION_CROPPAD_DLG", "strCropBottomInfo", "Bottom"},
    {"OPTION_CROPPAD_DLG", "btnPadLeftInfo", "Left"},
    {"OPTION_CROPPAD_DLG", "strPadRightInfo", "Right"},
    {"OPTION_CROPPAD_DLG", "strPadTopInfo", "Top"},
    {"OPTION_CROPPAD_DLG", "strPadBottomInfo", "Bottom"},
    {"OPTION_CROPPAD_DLG", "strPadColorInfo", "Color"},
    {"OPTION_CROPPAD_DLG", "btnPadColorInfo", "Select color"},
    {"OPTION_CROPPAD_DLG", "btnPadColorTooltip", "Select color for pad"},

    // Output splitting: the caption of the split group and of its custom choice.
    {"OPTION_GENERAL_DLG", "btnSplitInfo", "Split"},
    {"OPTION_GENERAL_DLG", "btnSplitCustomInfo", "Custom"},

    // New profile name dialog.
    {"NEWPROFILE_DLG", "strTitleInfo", "New profile name"},
    {"NEWPROFILE_DLG", "strNewprofileInfo", "New profile name:"},
    {"NEWPROFILE_DLG", "btnOKInfo", "OK"},
    {"NEWPROFILE_DLG", "btnOKTooltip", "OK"},
    {"NEWPROFILE_DLG", "btnCancelInfo", "Cancel"},
    {"NEWPROFILE_DLG", "btnCancelTooltip", "Cancel"},
    // Why OK refuses a name.
    {"NEWPROFILE_DLG", "strEmptyNameInfo", "Please enter a profile name."},
    {"NEWPROFILE_DLG", "strInvalidNameInfo", "A profile name cannot contain the character ]."},

    // File information (Properties) dialog.
    {"FILEINFO_DLG", "strTitleInfo", "Properties"},
    {"FILEINFO_DLG", "strFileNameInfo", "File Name:"},
    {"FILEINFO_DLG", "strLengthInfo", "Media Length:"},
    {"FILEINFO_DLG", "strVideoInfo", "Video information:"},
    {"FILEINFO_DLG", "strAudioInfo", "Audio information:"},
    {"FILEINFO_DLG", "btnOkInfo", "OK"},
    {"FILEINFO_DLG", "btnOkTooltip", "OK"},

    {"AUDIO_DLG", "strTitleInfo", "Audio track"},

    // Subtitles dialog.
    {"SUBTITLE_DLG", "strTitleInfo", "Subtitle"},
    {"SUBTITLE_DLG", "btnOKInfo", "OK"},
    {"SUBTITLE_DLG", "btnOKTooltip", "OK"},
    {"SUBTITLE_DLG", "btnCancelInfo", "Cancel"},
    {"SUBTITLE_DLG", "btnCancelTooltip", "Cancel"},
    {"SUBTITLE_DLG", "btnSubtitleStyleInfo", "Subtitle style"},
    {"SUBTITLE_DLG", "btnSubtitleStyleTooltip", "Subtitle style settings"},
    {"SUBTITLE_DLG", "btnAddSubtitleInfo", "Add"},
    {"SUBTITLE_DLG", "btnAddSubtitleTooltip", "Add subtitle file"},
    {"SUBTITLE_DLG", "strSubtitleFileInfo", "Subtitle file"},

    // The custom split size dialog.
    {"CUSTOMSIZE_DLG", "strTitleInfo", "Custom"},
    {"CUSTOMSIZE_DLG", "strPromptInfo", "Please enter the split size:"},
    {"CUSTOMSIZE_DLG", "strUnitInfo", "MB"},
    {"CUSTOMSIZE_DLG", "btnOKInfo", "OK"},
    {"CUSTOMSIZE_DLG", "btnCancelInfo", "Cancel"},

    // Subtitle style dialog (the subtitle style library).
    {"SUBTITLE_STYLE_DLG", "strTitleInfo", "Subtitle style"},
    {"SUBTITLE_STYLE_DLG", "strFontInfo", "Font:"},
    {"SUBTITLE_STYLE_DLG", "strSizeInfo", "Size:"},
    {"SUBTITLE_STYLE_DLG", "btnBoldInfo", "Bold"},
    {"SUBTITLE_STYLE_DLG", "btnItalicInfo", "Italic"},
    {"SUBTITLE_STYLE_DLG", "strTextColourInfo", "Text colour:"},
    {"SUBTITLE_STYLE_DLG", "strOutlineColourInfo", "Outline colour:"},
    {"SUBTITLE_STYLE_DLG", "strShadowColourInfo", "Shadow colour:"},
    {"SUBTITLE_STYLE_DLG", "strOpacityInfo", "Opacity:"},
    {"SUBTITLE_STYLE_DLG", "btnColourTooltip", "Choose a colour"},
    {"SUBTITLE_STYLE_DLG", "strOutlineWidthInfo", "Outline width:"},
    {"SUBTITLE_STYLE_DLG", "strShadowDistanceInfo", "Shadow distance:"},
    {"SUBTITLE_STYLE_DLG", "strPositionInfo", "Position:"},
    {"SUBTITLE_STYLE_DLG", "strMarginLeftInfo", "Left margin:"},
    {"SUBTITLE_STYLE_DLG", "strMarginRightInfo", "Right margin:"},
    {"SUBTITLE_STYLE_DLG", "strMarginVerticalInfo", "Vertical margin:"},
    {"SUBTITLE_STYLE_DLG", "strPreviewInfo", "Preview"},
    {"SUBTITLE_STYLE_DLG", "strSampleLine1Info", "This is how your subtitles"},
    {"SUBTITLE_STYLE_DLG", "strSampleLine2Info", "will look in the video."},
    {"SUBTITLE_STYLE_DLG", "strPreviewFailedInfo", "The preview cannot be drawn: %s"},
    {"SUBTITLE_STYLE_DLG", "strSaveFailedInfo", "The subtitle style could not be saved: %s"},
    {"SUBTITLE_STYLE_DLG", "btnDefaultInfo", "Default"},
    {"SUBTITLE_STYLE_DLG", "btnDefaultTooltip", "Go back to the standard style"},
    {"SUBTITLE_STYLE_DLG", "btnOKInfo", "OK"},
    {"SUBTITLE_STYLE_DLG", "btnOKTooltip", "Save this style"},
    {"SUBTITLE_STYLE_DLG", "btnCancelInfo", "Cancel"},
    {"SUBTITLE_STYLE_DLG", "btnCancelTooltip", "Leave the style as it was"},

    // The kept batch: the start-up offer, a kept list that cannot be taken, why a restored task
    // is skipped. Their English texts are core/BatchTexts.h's as well.
    {"KEPT_BATCH", "strRestoreOfferInfo", "Restore the %d tasks from your last session?"},
    {"KEPT_BATCH", "strRestoreOfferOneInfo", "Restore the task from your last session?"},
    {"KEPT_BATCH", "btnRestoreInfo", "Restore"},
    {"KEPT_BATCH", "btnDiscardInfo", "Discard"},
    {"KEPT_BATCH", "strKeptDamagedInfo",
     "The task list kept from your last session cannot be read. It was set aside as %s."},
    {"KEPT_BATCH", "strKeptNewerInfo",
     "The task list kept from your last session was written by a newer version of the program. It "
     "was set aside as %s."},
    {"KEPT_BATCH", "strKeptNotSetAsideInfo",
     "The task list kept in %s cannot be read and cannot be set aside. The tasks of this session "
     "are not kept."},
    {"KEPT_BATCH", "strKeptBusyInfo", "%s is in use by another run of the program."},
    {"KEPT_BATCH", "strSourceGoneInfo", "the source file is gone"},
    {"KEPT_BATCH", "strSourceChangedInfo", "the source file has changed since it was added"},
    {"KEPT_BATCH", "strAlreadyMadeInfo", "already made: %s"},
};

/**
 * The catalogue entry of (section, key), spelled exactly as catalogued. Evaluated while
 * compiling, so a section or key that is not catalogued is a build error, not a text that
 * silently falls back to English at run time.
 */
consteval const LanguageKey &CataloguedKey(std::string_view section, std::string_view key)
{
    for (const LanguageKey &entry : kLanguageKeys) {
        if (entry.section == section && entry.key == key)
            return entry;
    }
    throw "not a catalogued language key";
}

/// Every catalogued text, grouped by section in the order of the shipped language files.
std::span<const LanguageKey> AllLanguageKeys();

/**
 * The entry of (section, key), matched ignoring ASCII case as language files match them.
 * @return the entry, or nullptr when the pair is not catalogued
 */
const LanguageKey *FindLanguageKey(std::string_view section, std::string_view key);

/// The text of entry from texts (the current language), its English default when absent.
std::string LookupKey(const Texts &texts, const LanguageKey &entry);

/// As LookupKey, for a text the caller fills as a printf format: a translation whose conversions
/// disagree with the default's is replaced by the default (Texts::LookupFormat).
std::string LookupKeyFormat(const Texts &texts, const LanguageKey &entry);

} // namespace quillet
