// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/COptionVideoDlg.h"

#include "controls/DataExchange.h"
#include "texts/LanguageKeys.h"
#include "texts/Texts.h"
#include "texts/ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quillet {

namespace {
constexpr float kMinQuotiety = 0;
constexpr float kMaxQuotiety = 100;
} // namespace

COptionVideoDlg::COptionVideoDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : COptionPage(prompter, texts, parent)
{
    CreateControls();
    RefreshTexts();
    connect(m_disable, &QCheckBox::toggled, this, [this] { UpdateControlStates(); });
    connect(m_advanced, &QCheckBox::toggled, this, [this] { UpdateControlStates(); });
    for (QLineEdit *edit : m_quotiety)
        connect(edit, &QLineEdit::textEdited, this, [this] { OnQuotietyEdited(); });
}

void COptionVideoDlg::CreateControls()
{
    m_frame_group = new QGroupBox(this);
    m_bit_group = new QGroupBox(this);

    m_disable = new QCheckBox(this);
    m_disable->setObjectName(QStringLiteral("disableVideo"));
    m_codec_label = new QLabel(this);
    m_codec = new QComboBox(this);
    m_codec->setObjectName(QStringLiteral("videoCodec"));
    FillList(m_codec, sheet::kVideoCodecs);

    m_frame_original = new QRadioButton(this);
    m_frame_original->setObjectName(QStringLiteral("frameRateOriginal"));
    m_frame_custom = new QRadioButton(this);
    m_frame_custom->setObjectName(QStringLiteral("frameRateCustom"));
    m_frame_rate = new QLineEdit(this);
    m_frame_rate->setObjectName(QStringLiteral("frameRate"));
    m_frame_unit = new QLabel(this);
    MakeRadioGroup({m_frame_original, m_frame_custom});

    m_bit_original = new QRadioButton(this);
    m_bit_original->setObjectName(QStringLiteral("videoBitRateOriginal"));
    m_default_rate = new QLineEdit(this);
    m_default_rate->setObjectName(QStringLiteral("defaultBitRate"));
    MakeReadOnly(m_default_rate);
    m_default_unit = new QLabel(this);
    m_bit_custom = new QRadioButton(this);
    m_bit_custom->setObjectName(QStringLiteral("videoBitRateCustom"));
    m_bit_rate = new QLineEdit(this);
    m_bit_rate->setObjectName(QStringLiteral("videoBitRate"));
    m_bit_unit = new QLabel(this);
    MakeRadioGroup({m_bit_original, m_bit_custom});

    // The high-quality switch is carried through unchanged; users never see it.
    m_high_quality = new QCheckBox(this);
    m_high_quality->setObjectName(QStringLiteral("highQuality"));
    m_high_quality->hide();
    m_advanced = new QCheckBox(this);
    m_advanced->setObjectName(QStringLiteral("advanced"));
    m_quotiety_label = new QLabel(this);
    for (int i = 0; i < 3; ++i) {
        m_quotiety[i] = new QLineEdit(this);
        m_quotiety[i]->setObjectName(QStringLiteral("quotiety%1").arg(i + 1));
    }

    Place(m_disable, 7, 7, 150, 10);
    Place(m_codec_label, 7, 25, 76, 8);
    PlaceList(m_codec, 85, 23, 110);

    Place(m_frame_group, 7, 42, 219, 48);
    Place(m_frame_original, 13, 54, 210, 10);
    Place(m_frame_custom, 13, 71, 88, 10);
    Place(m_frame_rate, 103, 69, 48, 12);
    Place(m_frame_unit, 155, 71, 68, 8);

    Place(m_bit_group, 7, 96, 219, 64);
    Place(m_bit_original, 13, 108, 210, 10);
    Place(m_default_rate, 103, 122, 48, 12);
    Place(m_default_unit, 155, 124, 68, 8);
    Place(m_bit_custom, 13, 142, 88, 10);
    Place(m_bit_rate, 103, 140, 48, 12);
    Place(m_bit_unit, 155, 142, 68, 8);

    Place(m_high_quality, 7, 168, 210, 10);
    Place(m_advanced, 7, 168, 150, 10);
    Place(m_quotiety_label, 7, 184, 219, 8);
    for (int i = 0; i < 3; ++i)
        Place(m_quotiety[i], 13 + 54 * i, 196, 48, 12);

    WatchFocus(m_frame_rate);
    WatchFocus(m_bit_rate);
}

void COptionVideoDlg::RefreshTexts()
{
    m_disable->setText(UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnDisableVideoInfo")));
    m_frame_group->setTitle(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnVideoFramerateInfo")));
    m_frame_original->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnVideoFramerateOriginalInfo")));
    m_frame_custom->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnVideoFramerateCustomInfo")));
    m_bit_group->setTitle(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnVideoBitrateInfo")));
    m_bit_original->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnOriginalBitrateInfo")));
    m_bit_custom->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnCustomBitrateInfo")));
    m_high_quality->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnHQSettingsInfo")));
    m_advanced->setText(UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "btnVidelLevelInfo")));
    m_codec_label->setText(UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strVideoCodecInfo")));
    m_frame_unit->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strFramerateLabelInfo")));
    const QString bit_unit
        = UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strBitrateLabelInfo"));
    m_bit_unit->setText(bit_unit);
    ShowQualitySetting();
    m_quotiety_label->setText(
        UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strVideoLevelInfo")));
}

void COptionVideoDlg::LoadFields(const ProfileRecord &r)
{
    m_stored = r;
    m_fields.disable = r.bDisableVideo;
    m_fields.codec = r.cVideoCodec.str();
    m_fields.codec_index = sheet::SelectCodecIndex(sheet::kVideoCodecs, r.cVideoCodec.view());
    m_fields.frame_rate_choice = r.bVideoCustomFrameRate;
    m_fields.frame_rate = r.nVideoCustomFrameRate;
    m_fields.bit_rate_choice = r.bVideoCustomBitRate;
    m_fields.default_bit_rate = r.estimated_video_bit_rate;
    m_fields.bit_rate = r.nVideoCustomBitRate;
    m_fields.high_quality = r.bVideoHighQuality;
    m_fields.quotiety1 = r.nVideoBitRateLevel;
    m_fields.quotiety2 = r.nVideoBitRateLevel2;
    m_fields.quotiety3 = r.nVideoBitRateLevel3;
}

void COptionVideoDlg::StoreFields(ProfileRecord &r) const
{
    r.bDisableVideo = m_fields.disable;
    r.cVideoCodec = m_fields.codec;
    r.bVideoCustomFrameRate = ChosenOr(m_fields.frame_rate_choice, m_stored.bVideoCustomFrameRate);
    r.nVideoCustomFrameRate = m_fields.frame_rate;
    r.bVideoCustomBitRate = ChosenOr(m_fields.bit_rate_choice, m_stored.bVideoCustomBitRate);
    r.estimated_video_bit_rate = m_fields.default_bit_rate;
    r.nVideoCustomBitRate = m_fields.bit_rate;
    r.bVideoHighQuality = m_fields.high_quality;
    r.nVideoBitRateLevel = m_fields.quotiety1;
    r.nVideoBitRateLevel2 = m_fields.quotiety2;
    r.nVideoBitRateLevel3 = m_fields.quotiety3;
}

void COptionVideoDlg::DoDataExchange(DataExchange &dx)
{
    dx.Check(m_disable, m_fields.disable);
    dx.ListIndex(m_codec, m_fields.codec_index);
    dx.Radio({m_frame_original, m_frame_custom}, m_fields.frame_rate_choice);
    ExchangeReal(dx, m_frame_rate, m_fields.frame_rate);
    dx.Radio({m_bit_original, m_bit_custom}, m_fields.bit_rate_choice);
    dx.Integer(m_default_rate, m_fields.default_bit_rate);
    dx.Integer(m_bit_rate, m_fields.bit_rate);
    dx.Check(m_high_quality, m_fields.high_quality);
    dx.Check(m_advanced, m_fields.advanced);
    float *quotieties[3] = {&m_fields.quotiety1, &m_fields.quotiety2, &m_fields.quotiety3};
    for (int i = 0; i < 3; ++i) {
        const bool failed_before = dx.Failed();
        ExchangeReal(dx, m_quotiety[i], *quotieties[i], kMinQuotiety, kMaxQuotiety);
        if (!failed_before && dx.Failed() && m_quotiety[i]->isHidden()) {
            // A refused quotiety must be seen to be mended: show the quotieties.
            m_advanced->setChecked(true);
            m_quotiety[i]->setFocus(Qt::OtherFocusReason);
            m_quotiety[i]->selectAll();
        }
    }
}

void COptionVideoDlg::OnSetActive()
{
    RecomputeDefaultBitRate();
}

void COptionVideoDlg::OnOK()
{
    if (m_codec->currentIndex() >= 0)
        m_fields.codec = m_codec->currentText().toStdString();
}

void COptionVideoDlg::RecomputeDefaultBitRate()
{
    ShowDefaultBitRate(m_fields.quotiety1, m_fields.quotiety2, m_fields.quotiety3);
}

void COptionVideoDlg::ShowDefaultBitRate(float q1, float q2, float q3)
{
    const std::optional<sheet::FrameSize> size
        = m_size_source ? m_size_source() : std::optional<sheet::FrameSize>();
    if (size)
        m_fields.default_bit_rate = sheet::DefaultVideoBitRate(q1, q2, q3, *size);
    m_default_rate->setText(QString::number(m_fields.default_bit_rate));
    ShowQualitySetting();
}

void COptionVideoDlg::ShowQualitySetting()
{
    // A profile that asks the encoder for a constant quality has no default rate: "0 kbit / s"
    // would read as an empty video track, so the quality it keeps is shown in its place.
    const std::string quality = sheet::QualitySetting(m_stored.Para.view());
    const bool by_quality = !quality.empty() && m_fields.default_bit_rate == 0;
    m_default_rate->setVisible(!by_quality);
    if (by_quality) {
        m_default_unit->setText(QString::fromStdString(FormatText(
            LookupKeyFormat(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strConstantQualityInfo")),
            quality.c_str())));
        Place(m_default_unit, 103, 124, 120, 8);
    } else {
        m_default_unit->setText(
            UiText(m_texts, CataloguedKey("OPTION_VIDEO_DLG", "strBitrateLabelInfo")));
        Place(m_default_unit, 155, 124, 68, 8);
    }
}

void COptionVideoDlg::OnQuotietyEdited()
{
    // Shows the default for what is typed so far; a quotiety that does not read as a number
    // counts with its last value until the page is read and refuses it.
    float q[3] = {m_fields.quotiety1, m_fields.quotiety2, m_fields.quotiety3};
    for (int i = 0; i < 3; ++i) {
        double value = 0;
        if (DataExchange::ParseNumber(m_quotiety[i]->text(), value))
            q[i] = static_cast<float>(value);
    }
    ShowDefaultBitRate(q[0], q[1], q[2]);
}

void COptionVideoDlg::UpdateControlStates()
{
    const bool enabled = !m_disable->isChecked();
    const QList<QWidget *> others
        = {m_codec_label,  m_codec,          m_frame_group, m_frame_original, m_frame_custom,
           m_frame_rate,   m_frame_unit,     m_bit_group,   m_bit_original,   m_default_rate,
           m_default_unit, m_bit_custom,     m_bit_rate,    m_bit_unit,       m_high_quality,
           m_advanced,     m_quotiety_label, m_quotiety[0], m_quotiety[1],    m_quotiety[2]};
    for (QWidget *control : others)
        control->setEnabled(enabled);
    const bool advanced = m_advanced->isChecked();
    m_quotiety_label->setVisible(advanced);
    for (QLineEdit *edit : m_quotiety)
        edit->setVisible(advanced);
}

void COptionVideoDlg::OnEditFocused(QWidget *edit)
{
    if (edit == m_frame_rate)
        m_frame_custom->setChecked(true);
    else if (edit == m_bit_rate)
        m_bit_custom->setChecked(true);
}

} // namespace quillet
