// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/COptionAudioDlg.h"

#include "controls/DataExchange.h"
#include "profiles/sheet/OptionSheetRules.h"
#include "profiles/sheet/UpDownButtons.h"
#include "texts/LanguageKeys.h"
#include "texts/ui/UiText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace quillet {

namespace {
constexpr int kMinVolume = 100;
constexpr int kMaxVolume = 600;
} // namespace

COptionAudioDlg::COptionAudioDlg(Prompter &prompter, const Texts &texts, QWidget *parent)
    : COptionPage(prompter, texts, parent)
{
    CreateControls();
    RefreshTexts();
    connect(m_disable, &QCheckBox::toggled, this, [this] { UpdateControlStates(); });
}

void COptionAudioDlg::CreateControls()
{
    // Group boxes first, so they lie below the controls drawn inside them.
    m_sample_group = new QGroupBox(this);
    m_bit_group = new QGroupBox(this);
    m_volume_group = new QGroupBox(this);

    m_disable = new QCheckBox(this);
    m_disable->setObjectName(QStringLiteral("disableAudio"));
    m_channel_label = new QLabel(this);
    m_channel = new QComboBox(this);
    m_channel->setObjectName(QStringLiteral("audioChannel"));
    for (std::size_t i = 0; i < sheet::kAudioChannels.size(); ++i)
        m_channel->addItem(QString());
    m_codec_label = new QLabel(this);
    m_codec = new QComboBox(this);
    m_codec->setObjectName(QStringLiteral("audioCodec"));
    FillList(m_codec, sheet::kAudioCodecs);

    m_sample_original = new QRadioButton(this);
    m_sample_original->setObjectName(QStringLiteral("sampleRateOriginal"));
    m_sample_custom = new QRadioButton(this);
    m_sample_custom->setObjectName(QStringLiteral("sampleRateCustom"));
    m_sample_rate = new QLineEdit(this);
    m_sample_rate->setObjectName(QStringLiteral("sampleRate"));
    m_sample_unit = new QLabel(this);
    MakeRadioGroup({m_sample_original, m_sample_custom});

    m_bit_original = new QRadioButton(this);
    m_bit_original->setObjectName(QStringLiteral("audioBitRateOriginal"));
    m_bit_custom = new QRadioButton(this);
    m_bit_custom->setObjectName(QStringLiteral("audioBitRateCustom"));
    m_bit_rate = new QLineEdit(this);
    m_bit_rate->setObjectName(QStringLiteral("audioBitRate"));
    m_bit_unit = new QLabel(this);
    MakeRadioGroup({m_bit_original, m_bit_custom});

    m_adjust_volume = new QCheckBox(this);
    m_adjust_volume->setObjectName(QStringLiteral("adjustVolume"));
    m_volume = new QLineEdit(this);
    m_volume->setObjectName(QStringLiteral("volume"));
    m_volume_spin = new UpDownButtons(m_volume, kMinVolume, kMaxVolume, this);
    m_volume_spin->setObjectName(QStringLiteral("volumeSpin"));
    m_volume_unit = new QLabel(this);

    Place(m_disable, 7, 7, 150, 10);
    Place(m_channel_label, 7, 25, 76, 8);
    PlaceList(m_channel, 85, 23, 110);
    Place(m_codec_label, 7, 43, 76, 8);
    PlaceList(m_codec, 85, 41, 110);

    Place(m_sample_group, 7, 60, 219, 48);
    Place(m_sample_original, 13, 72, 210, 10);
    Place(m_sample_custom, 13, 89, 88, 10);
    Place(m_sample_rate, 103, 87, 48, 12);
    Place(m_sample_unit, 155, 89, 68, 8);

    Place(m_bit_group, 7, 114, 219, 48);
    Place(m_bit_original, 13, 126, 210, 10);
    Place(m_bit_custom, 13, 143, 88, 10);
    Place(m_bit_rate, 103, 141, 48, 12);
    Place(m_bit_unit, 155, 143, 68, 8);

    Place(m_volume_group, 7, 168, 219, 48);
    Place(m_adjust_volume, 13, 180, 210, 10);
    Place(m_volume, 13, 196, 40, 12);
    Place(m_volume_spin, 53, 196, 9, 12);
    Place(m_volume_unit, 67, 198, 80, 8);

    WatchFocus(m_sample_rate);
    WatchFocus(m_bit_rate);
    WatchFocus(m_volume);
}

void COptionAudioDlg::RefreshTexts()
{
    m_disable->setText(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnDisableAudioInfo")));
    m_sample_group->setTitle(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnSampleRateInfo")));
    m_sample_original->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnOrginalFrameRateInfo")));
    m_sample_custom->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnCustomFrameRateInfo")));
    m_bit_group->setTitle(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnBitrateInfo")));
    m_bit_original->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnOriginalBitrateInfo")));
    m_bit_custom->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnCustomBitrateInfo")));
    m_volume_group->setTitle(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnAudioVolInfo")));
    m_adjust_volume->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "btnAdjustVolInfo")));
    m_channel_label->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "strAudioChannelInfo")));
    for (std::size_t i = 0; i < sheet::kAudioChannels.size(); ++i)
        m_channel->setItemText(static_cast<int>(i), UiText(m_texts, *sheet::kAudioChannels[i]));
    m_codec_label->setText(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "strAudioCodecInfo")));
    m_sample_unit->setText(
        UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "strFrameRateLabelInfo")));
    m_bit_unit->setText(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "strBitrateLabelInfo")));
    m_volume_unit->setText(UiText(m_texts, CataloguedKey("OPTION_AUDIO_DLG", "strVolLabelInfo")));
}

void COptionAudioDlg::LoadFields(const ProfileRecord &r)
{
    m_stored = r;
    m_fields.disable = r.bDisableAudio;
    m_fields.channel = r.nAudioChannel;
    m_fields.codec = r.cAudioCodec.str();
    m_fields.codec_index = sheet::SelectCodecIndex(sheet::kAudioCodecs, r.cAudioCodec.view());
    m_fields.sample_rate_choice = r.bAudioCustomSampleRate;
    m_fields.sample_rate = r.nAudioCustomSampleRate;
    m_fields.bit_rate_choice = r.bAudioCustomBitRate;
    m_fields.bit_rate = r.nAudioCustomBitRate;
    m_fields.adjust_volume = r.bAudioCustomVolume;
    m_fields.volume = r.nAudioVolume;
}

void COptionAudioDlg::StoreFields(ProfileRecord &r) const
{
    r.bDisableAudio = m_fields.disable;
    r.nAudioChannel = ChosenOr(m_fields.channel, m_stored.nAudioChannel);
    r.cAudioCodec = m_fields.codec;
    r.bAudioCustomSampleRate
        = ChosenOr(m_fields.sample_rate_choice, m_stored.bAudioCustomSampleRate);
    r.nAudioCustomSampleRate = m_fields.sample_rate;
    r.bAudioCustomBitRate = ChosenOr(m_fields.bit_rate_choice, m_stored.bAudioCustomBitRate);
    r.nAudioCustomBitRate = m_fields.bit_rate;
    r.bAudioCustomVolume = m_fields.adjust_volume;
    r.nAudioVolume = m_fields.volume;
}

void COptionAudioDlg::DoDataExchange(DataExchange &dx)
{
    dx.Check(m_disable, m_fields.disable);
    dx.ListIndex(m_channel, m_fields.channel);
    dx.ListIndex(m_codec, m_fields.codec_index);
    dx.Radio({m_sample_original, m_sample_custom}, m_fields.sample_rate_choice);
    dx.Integer(m_sample_rate, m_fields.sample_rate);
    dx.Radio({m_bit_original, m_bit_custom}, m_fields.bit_rate_choice);
    ExchangeReal(dx, m_bit_rate, m_fields.bit_rate);
    dx.Check(m_adjust_volume, m_fields.adjust_volume);
    // Checked whether or not "Adjust audio volume" is ticked: the value is stored either way.
    dx.Integer(m_volume, m_fields.volume, kMinVolume, kMaxVolume);
}

void COptionAudioDlg::OnOK()
{
    // The profile stores the list's own spelling of the codec ("MP3" is saved as "mp3").
    if (m_codec->currentIndex() >= 0)
        m_fields.codec = m_codec->currentText().toStdString();
}

void COptionAudioDlg::UpdateControlStates()
{
    const bool enabled = !m_disable->isChecked();
    const QList<QWidget *> others
        = {m_channel_label,   m_channel,       m_codec_label, m_codec,       m_sample_group,
           m_sample_original, m_sample_custom, m_sample_rate, m_sample_unit, m_bit_group,
           m_bit_original,    m_bit_custom,    m_bit_rate,    m_bit_unit,    m_volume_group,
           m_adjust_volume,   m_volume,        m_volume_spin, m_volume_unit};
    for (QWidget *control : others)
        control->setEnabled(enabled);
}

void COptionAudioDlg::OnEditFocused(QWidget *edit)
{
    if (edit == m_sample_rate)
        m_sample_custom->setChecked(true);
    else if (edit == m_bit_rate)
        m_bit_custom->setChecked(true);
    else if (edit == m_volume)
        m_adjust_volume->setChecked(true);
}

} // namespace quillet
