// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's controls, their places in dialog units and their skin.
#include "MainDialog.h"

#include "texts/LanguageTable.h"
#include "texts/ui/UiText.h"

#include "CGradientProgress.h"
#include "CLinkLabel.h"
#include "CMediaSizeList.h"
#include "CProfileComboBox.h"
#include "CSkinButton.h"
#include "ColorRef.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "DialogUnits.h"
#include "SkinImageSet.h"
#include "SkinResources.h"
#include "TaskListView.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include <algorithm>

namespace quillet {

namespace {

// The window's template, in dialog units (left, top, width, height).
constexpr int kWidth = 379;
constexpr int kHeight = 300;
constexpr QRect kBannerRect(7, 4, 235, 31);
constexpr QRect kUpdateRect(326, 9, 23, 23);
constexpr QRect kSettingsRect(350, 9, 23, 23);
constexpr QRect kProfileLabelRect(8, 44, 26, 8);
constexpr QRect kPickerRect(34, 42, 236, 14);
constexpr QRect kOptionsRect(273, 43, 45, 13);
constexpr QRect kApplyAllRect(321, 44, 48, 10);
constexpr QRect kListRect(7, 61, 365, 151);
constexpr QRect kAddRect(123, 218, 60, 20);
constexpr QRect kConvertRect(186, 218, 60, 20);
constexpr QRect kAudioRect(8, 221, 36, 14);
constexpr QRect kSubtitleRect(45, 221, 36, 14);
constexpr QRect kRemoveRect(273, 221, 32, 14);
constexpr QRect kUpRect(306, 221, 32, 14);
constexpr QRect kDownRect(339, 221, 32, 14);
constexpr QRect kOutputLabelRect(8, 253, 26, 8);
constexpr QRect kOutputEditRect(34, 251, 197, 13);
constexpr QRect kChangeFolderRect(234, 251, 24, 13);
constexpr QRect kOpenFolderRect(259, 251, 33, 13);
constexpr QRect kMergeRect(295, 253, 72, 10);
constexpr QRect kSizesRect(8, 276, 78, 14);
constexpr QRect kProgressRect(86, 276, 284, 14);
constexpr QRect kFrameRects[] = {{7, 39, 365, 173}, {7, 211, 365, 62}, {7, 275, 365, 16}};
// Where rows that must grow for their texts end on the right.
constexpr int kRowRightEdge = 370;

/// Width a control needs to show its caption whole.
int NeededWidth(const QWidget *widget, const QString &caption, int extra)
{
    QString shown = caption;
    shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return widget->fontMetrics().horizontalAdvance(shown) + extra;
}

int ButtonWidth(const CSkinButton *button, int template_width, bool leading,
                const QString &other_caption = {})
{
    // Caption margins of 2 pixels on each side, the picture's 16 pixels and a little air.
    const int extra = 12 + (leading ? 18 : 0);
    int width = std::max(template_width, NeededWidth(button, button->text(), extra));
    if (!other_caption.isEmpty())
        width = std::max(width, NeededWidth(button, other_caption, extra));
    return width;
}

int CheckWidth(const QCheckBox *box, int template_width)
{
    return std::max(template_width, box->sizeHint().width());
}

int LabelWidth(const QLabel *label, int template_width)
{
    return std::max(template_width, NeededWidth(label, label->text(), 2));
}

} // namespace

void MainDialog::CreateControls()
{
    // Frames first, so every control lies above them.
    for (int i = 0; i < 3; ++i) {
        auto *frame = new QFrame(this);
        frame->setFrameStyle(QFrame::Box | QFrame::Plain);
        m_frames << frame;
    }
    m_banner = new CLinkLabel(this);
    m_update = new CSkinButton(this);
    m_settings = new CSkinButton(this);
    m_profile_label = new QLabel(this);
    m_picker = new CProfileComboBox(this);
    m_options = new CSkinButton(this);
    m_apply_all = new QCheckBox(this);
    m_list = new TaskListView(this);
    m_add = new CSkinButton(this);
    m_convert = new CSkinButton(this);
    m_audio = new CSkinButton(this);
    m_subtitle = new CSkinButton(this);
    m_remove = new CSkinButton(this);
    m_up = new CSkinButton(this);
    m_down = new CSkinButton(this);
    m_output_label = new QLabel(this);
    m_output_edit = new QLineEdit(this);
    m_output_edit->setReadOnly(true);
    m_change_folder = new CSkinButton(this);
    m_open_folder = new CSkinButton(this);
    m_merge = new QCheckBox(this);
    m_sizes = new CMediaSizeList(this);
    m_progress = new CGradientProgress(this);

    // A reader names the picker and the folder field by the labels beside them.
    m_profile_label->setBuddy(m_picker);
    m_output_label->setBuddy(m_output_edit);

    // Tab order follows the eye: row by row, each row from left to right (the button row reads
    // Audio, Subtitle, New Task, Convert, Delete, Up, Down).
    QWidget *order[]
        = {m_banner,      m_update,        m_settings,    m_picker,  m_options, m_apply_all, m_list,
           m_audio,       m_subtitle,      m_add,         m_convert, m_remove,  m_up,        m_down,
           m_output_edit, m_change_folder, m_open_folder, m_merge,   m_sizes};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    // The task list: the classic small sans-serif font of list controls.
    QFont list_font(font().family());
    list_font.setPixelSize(11);
    m_list->setFont(list_font);
}

void MainDialog::ApplySkin()
{
    // The skin is light whatever the desktop's scheme: every window, menu and message box takes
    // the program's light colours, so no text is drawn light on the light skin.
    UseDialogPalette();
    // The window's own colours; the skin library may paint over the background.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, DialogBackground());
    setPalette(colours);
    setAutoFillBackground(true);
    for (QLabel *label : {m_profile_label, m_output_label})
        ApplyLabelLook(label);

    for (CSkinButton *button : {m_options, m_add, m_convert, m_audio, m_subtitle, m_remove, m_up,
                                m_down, m_change_folder, m_open_folder}) {
        ApplyDialogButtonLook(button);
        // Enter does nothing on this window: no button is pressed by it.
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    m_update->SetImages(kUpdateButtonSet);
    m_settings->SetImages(kSettingsButtonSet);
    for (CSkinButton *button : {m_update, m_settings}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    const QColor key = ColorFromRef(kLeadingKeyColorRef);
    m_add->SetLeadingPicture(kLeadingAdd, key);
    m_options->SetLeadingPicture(kLeadingOptions, key);
    m_convert->SetLeadingPicture(kLeadingConvert, key);
    m_audio->show();
    m_subtitle->show();
}

void MainDialog::SetUpProgressBar()
{
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->SetCaptionMode(QStringLiteral("Done"), CGradientProgress::kCaptionBits);
    m_progress->SetBarTextColor(ColorFromRef(0xFFFFFF));
    m_progress->SetBackgroundTextColor(ColorFromRef(0x000000));
    m_progress->SetBkColor(DialogBackground());
    m_progress->SetGradientColors({ColorFromRef(0xEEAA86), ColorFromRef(0x9E5D3A)});
    m_progress->SetBorder(QMargins(1, 1, 1, 1));
    m_progress->SetCaption(
        UiText(m_languages, CataloguedKey("MAIN_DLG", "strProgressInfoTooltips")), false);
}

void MainDialog::PlaceControls()
{
    const DialogUnits du(font());
    setFixedSize(du.X(kWidth), du.Y(kHeight));
    for (int i = 0; i < 3; ++i)
        m_frames[i]->setGeometry(du.Rect(kFrameRects[i]));
    m_banner->setGeometry(du.Rect(kBannerRect));
    // The round picture buttons take their pictures' size.
    m_update->move(du.Rect(kUpdateRect).topLeft());
    m_settings->move(du.Rect(kSettingsRect).topLeft());
    m_list->setGeometry(du.Rect(kListRect));
    m_progress->setGeometry(du.Rect(kProgressRect));
    m_sizes->setGeometry(du.Rect(kSizesRect));

    // Every control keeps its template place and size unless its text needs more room; then
    // the row makes room from its stretchable member (the picker, the output folder field) or
    // from the free space between groups, so no caption is ever cut. Neighbours keep the
    // template's spacing in pixels.
    const int right = du.X(kRowRightEdge);
    auto spacing = [&du](const QRect &first, const QRect &second) {
        return du.Rect(second).left() - du.Rect(first).right();
    };
    // Places a control that grows leftwards: its template right edge, or further left when the
    // control right of it (whose left edge is limit) needs the room.
    auto right_aligned = [&du](const QRect &units, int width, int limit) {
        QRect place = du.Rect(units);
        place.setWidth(width);
        place.moveRight(std::min(du.Rect(units).right(), limit));
        return place;
    };

    // Profile row: label, picker, Options, Apply to All (anchored on the right).
    QRect label = du.Rect(kProfileLabelRect);
    label.setWidth(LabelWidth(m_profile_label, label.width()));
    QRect apply = du.Rect(kApplyAllRect);
    if (CheckWidth(m_apply_all, apply.width()) > apply.width()) {
        apply.setWidth(CheckWidth(m_apply_all, apply.width()));
        apply.moveRight(right);
    }
    const QRect options
        = right_aligned(kOptionsRect, ButtonWidth(m_options, du.X(kOptionsRect.width()), true),
                        apply.left() - spacing(kOptionsRect, kApplyAllRect));
    QRect picker = du.Rect(kPickerRect);
    picker.setLeft(std::max(picker.left(), label.right() + 3));
    picker.setRight(std::min(picker.right(), options.left() - spacing(kPickerRect, kOptionsRect)));
    m_profile_label->setGeometry(label);
    m_picker->setGeometry(picker);
    m_options->setGeometry(options);
    m_apply_all->setGeometry(apply);

    // Button row: Audio and Subtitle grow rightwards, Add and Convert stay centred, Remove, Up
    // and Down grow leftwards from the right edge.
    QRect audio = du.Rect(kAudioRect);
    audio.setWidth(ButtonWidth(m_audio, audio.width(), false));
    QRect subtitle = du.Rect(kSubtitleRect);
    subtitle.setWidth(ButtonWidth(m_subtitle, subtitle.width(), false));
    subtitle.moveLeft(
        std::max(subtitle.left(), audio.right() + spacing(kAudioRect, kSubtitleRect)));
    m_audio->setGeometry(audio);
    m_subtitle->setGeometry(subtitle);

    QRect add = du.Rect(kAddRect);
    add.setWidth(ButtonWidth(m_add, add.width(), true));
    QRect convert = du.Rect(kConvertRect);
    convert.setWidth(
        ButtonWidth(m_convert, convert.width(), true,
                    UiText(m_languages, CataloguedKey("MAIN_DLG", "btnConvert2Info"))));
    const int pair_gap = spacing(kAddRect, kConvertRect);
    const int centre = (du.Rect(kAddRect).left() + du.Rect(kConvertRect).right()) / 2;
    add.moveLeft(centre - (add.width() + pair_gap + convert.width()) / 2);
    convert.moveLeft(add.right() + pair_gap);
    m_add->setGeometry(add);
    m_convert->setGeometry(convert);

    const QRect down
        = right_aligned(kDownRect, ButtonWidth(m_down, du.X(kDownRect.width()), false), right);
    const QRect up = right_aligned(kUpRect, ButtonWidth(m_up, du.X(kUpRect.width()), false),
                                   down.left() - spacing(kUpRect, kDownRect));
    const QRect remove
        = right_aligned(kRemoveRect, ButtonWidth(m_remove, du.X(kRemoveRect.width()), false),
                        up.left() - spacing(kRemoveRect, kUpRect));
    m_down->setGeometry(down);
    m_up->setGeometry(up);
    m_remove->setGeometry(remove);

    // Output row: label, folder field (stretches), "...", Open, Merge (anchored on the right).
    QRect out_label = du.Rect(kOutputLabelRect);
    out_label.setWidth(LabelWidth(m_output_label, out_label.width()));
    QRect merge = du.Rect(kMergeRect);
    if (CheckWidth(m_merge, merge.width()) > merge.width()) {
        merge.setWidth(CheckWidth(m_merge, merge.width()));
        merge.moveRight(right);
    }
    const QRect open = right_aligned(
        kOpenFolderRect, ButtonWidth(m_open_folder, du.X(kOpenFolderRect.width()), false),
        merge.left() - spacing(kOpenFolderRect, kMergeRect));
    const QRect change = right_aligned(
        kChangeFolderRect, ButtonWidth(m_change_folder, du.X(kChangeFolderRect.width()), false),
        open.left() - spacing(kChangeFolderRect, kOpenFolderRect));
    QRect edit = du.Rect(kOutputEditRect);
    edit.setLeft(std::max(edit.left(), out_label.right() + 3));
    edit.setRight(
        std::min(edit.right(), change.left() - spacing(kOutputEditRect, kChangeFolderRect)));
    m_output_label->setGeometry(out_label);
    m_output_edit->setGeometry(edit);
    m_change_folder->setGeometry(change);
    m_open_folder->setGeometry(open);
    m_merge->setGeometry(merge);
}

} // namespace quillet
