// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/COptionCropandPadDlg.h"

#include "controls/CColorButton.h"
#include "controls/DataExchange.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace quillet {

namespace {

// Margin edits lie in two columns: Left and Top on the left, Right and Bottom on the right.
struct MarginSpot
{
    int label_x;
    int edit_x;
    int row;
};
constexpr std::array<MarginSpot, 4> kMarginSpots
    = {{{13, 59, 0}, {117, 163, 0}, {13, 59, 1}, {117, 163, 1}}};
constexpr int kRowStep = 18;

QColor ScreenColor(int32_t rgb)
{
    // Profiles keep red in the high byte; the screen wants it first.
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace

COptionCropandPadDlg::COptionCropandPadDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : COptionPage(prompter, texts, parent)
{
    CreateControls();
    RefreshTexts();
    ShowPadColor();
    // Enabling follows the boxes as they change, so the edits are always in the right state
    // while the page is visible.
    connect(m_enable_crop, &QCheckBox::toggled, this, [this] { UpdateControlStates(); });
    connect(m_enable_pad, &QCheckBox::toggled, this, [this] { UpdateControlStates(); });
    connect(m_color_button, &CColorButton::clicked, this, [this] { ChoosePadColor(); });
    UpdateControlStates();
}

void COptionCropandPadDlg::CreateMargins(const char *prefix, int top,
                                         std::array<QLabel *, 4> &labels,
                                         std::array<QLineEdit *, 4> &edits)
{
    const char *const sides[] = {"Left", "Right", "Top", "Bottom"};
    for (std::size_t i = 0; i < 4; ++i) {
        const MarginSpot spot = kMarginSpots[i];
        const int y = top + spot.row * kRowStep;
        labels[i] = new QLabel(this);
        edits[i] = new QLineEdit(this);
        edits[i]->setObjectName(QLatin1String(prefix) + QLatin1String(sides[i]));
        Place(labels[i], spot.label_x, y + 2, 44, 8);
        Place(edits[i], spot.edit_x, y, 40, 12);
    }
}

void COptionCropandPadDlg::CreateControls()
{
    m_crop_group = new QGroupBox(this);
    m_pad_group = new QGroupBox(this);

    m_enable_crop = new QCheckBox(this);
    m_enable_crop->setObjectName(QStringLiteral("enableCrop"));
    Place(m_enable_crop, 13, 20, 150, 10);
    CreateMargins("crop", 36, m_crop_labels, m_crop);
    Place(m_crop_group, 7, 7, 219, 72);

    m_enable_pad = new QCheckBox(this);
    m_enable_pad->setObjectName(QStringLiteral("enablePad"));
    Place(m_enable_pad, 13, 99, 150, 10);
    CreateMargins("pad", 115, m_pad_labels, m_pad);
    m_color_label = new QLabel(this);
    m_color_text = new QLineEdit(this);
    m_color_text->setObjectName(QStringLiteral("padColorText"));
    MakeReadOnly(m_color_text);
    m_color_button = new CColorButton(this);
    m_color_button->setObjectName(QStringLiteral("padColorButton"));
    Place(m_color_label, 13, 155, 44, 8);
    Place(m_color_text, 59, 153, 48, 12);
    Place(m_color_button, 117, 152, 86, 14);
    Place(m_pad_group, 7, 86, 219, 92);
}

void COptionCropandPadDlg::RefreshTexts()
{
    m_crop_group->setTitle(UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnCropInfo")));
    m_enable_crop->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnEnableCropInfo")));
    m_pad_group->setTitle(UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnPadInfo")));
    m_enable_pad->setText(UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnEnablePadInfo")));
    m_crop_labels[Left]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strCropLeftInfo")));
    m_crop_labels[Right]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strCropRightInfo")));
    m_crop_labels[Top]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strCropTopInfo")));
    m_crop_labels[Bottom]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strCropBottomInfo")));
    m_pad_labels[Left]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnPadLeftInfo")));
    m_pad_labels[Right]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strPadRightInfo")));
    m_pad_labels[Top]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strPadTopInfo")));
    m_pad_labels[Bottom]->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strPadBottomInfo")));
    m_color_label->setText(UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "strPadColorInfo")));
    m_color_button->setText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnPadColorInfo")));
    m_color_button->SetTooltipText(
        UiText(m_texts, CataloguedKey("OPTION_CROPPAD_DLG", "btnPadColorTooltip")));
}

void COptionCropandPadDlg::LoadFields(const ProfileRecord &r)
{
    m_fields.enable_crop = r.bVideoEnableCrop;
    m_fields.crop = {r.nVideoCropLeft, r.nVideoCropRight, r.nVideoCropTop, r.nVideoCropBottom};
    m_fields.enable_pad = r.bVideoEnablePad;
    m_fields.pad = {r.nVideoPadLeft, r.nVideoPadRight, r.nVideoPadTop, r.nVideoPadBottom};
    m_fields.pad_color = r.nVideoPadColor;
    ShowPadColor();
}

void COptionCropandPadDlg::StoreFields(ProfileRecord &r) const
{
    r.bVideoEnableCrop = m_fields.enable_crop;
    r.nVideoCropLeft = m_fields.crop[Left];
    r.nVideoCropRight = m_fields.crop[Right];
    r.nVideoCropTop = m_fields.crop[Top];
    r.nVideoCropBottom = m_fields.crop[Bottom];
    r.bVideoEnablePad = m_fields.enable_pad;
    r.nVideoPadLeft = m_fields.pad[Left];
    r.nVideoPadRight = m_fields.pad[Right];
    r.nVideoPadTop = m_fields.pad[Top];
    r.nVideoPadBottom = m_fields.pad[Bottom];
    r.nVideoPadColor = m_fields.pad_color;
}

void COptionCropandPadDlg::DoDataExchange(DataExchange &dx)
{
    dx.Check(m_enable_crop, m_fields.enable_crop);
    for (std::size_t i = 0; i < 4; ++i)
        dx.Integer(m_crop[i], m_fields.crop[i]);
    dx.Check(m_enable_pad, m_fields.enable_pad);
    for (std::size_t i = 0; i < 4; ++i)
        dx.Integer(m_pad[i], m_fields.pad[i]);
}

void COptionCropandPadDlg::UpdateControlStates()
{
    const bool crop = m_enable_crop->isChecked();
    for (QLineEdit *edit : m_crop)
        edit->setEnabled(crop);
    const bool pad = m_enable_pad->isChecked();
    for (QLineEdit *edit : m_pad)
        edit->setEnabled(pad);
    m_color_text->setEnabled(pad);
    m_color_button->setEnabled(pad);
}

void COptionCropandPadDlg::ChoosePadColor()
{
    const QColor chosen = QColorDialog::getColor(ScreenColor(m_fields.pad_color), this);
    if (!chosen.isValid())
        return; // cancelled: nothing changes
    m_fields.pad_color = (chosen.red() << 16) | (chosen.green() << 8) | chosen.blue();
    ShowPadColor();
}

void COptionCropandPadDlg::ShowPadColor()
{
    const QColor color = ScreenColor(m_fields.pad_color);
    // The face shows the colour hovered, pressed, normally and focused alike. The caption takes
    // black or white, whichever stands out, or the usual black pad would hide it.
    const QColor caption = qGray(color.rgb()) < 128 ? QColor(Qt::white) : QColor(Qt::black);
    for (int slot : {CColorButton::BackgroundActive, CColorButton::BackgroundNormal,
                     CColorButton::BackgroundFocus})
        m_color_button->SetColor(slot, color, false);
    for (int slot : {CColorButton::TextActive, CColorButton::TextNormal, CColorButton::TextFocus})
        m_color_button->SetColor(slot, caption, false);
    m_color_button->update();
    m_color_text->setText(QString::fromStdString(sheet::PadColorText(m_fields.pad_color)));
}

} // namespace quillet
