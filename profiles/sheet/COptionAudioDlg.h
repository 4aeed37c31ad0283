// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profiles/sheet/COptionPage.h"

#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quillet {

class UpDownButtons;

/// The Audio page: dropping the audio, channels, codec, sample rate, bit rate and volume.
class COptionAudioDlg : public COptionPage
{
    Q_OBJECT

public:
    /// The page's fields; radio groups and lists hold the chosen index, -1 for none.
    struct Fields
    {
        int disable = 0;
        int channel = -1;
        int codec_index = -1;
        std::string codec;
        int sample_rate_choice = -1; ///< 0 as the source, 1 custom
        int sample_rate = 0;
        int bit_rate_choice = -1;
        float bit_rate = 0;
        int adjust_volume = 0;
        int volume = 0;
    };

    COptionAudioDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    void LoadFields(const ProfileRecord &record) override;
    void StoreFields(ProfileRecord &record) const override;
    void OnOK() override;
    void RefreshTexts() override;

    const Fields &PageFields() const { return m_fields; }

protected:
    void DoDataExchange(DataExchange &dx) override;
    void UpdateControlStates() override;
    void OnEditFocused(QWidget *edit) override;

private:
    void CreateControls();

    Fields m_fields;
    ProfileRecord m_stored; // the loaded record: values no control can show are kept

    QCheckBox *m_disable;
    QLabel *m_channel_label;
    QComboBox *m_channel;
    QLabel *m_codec_label;
    QComboBox *m_codec;
    QGroupBox *m_sample_group;
    QRadioButton *m_sample_original;
    QRadioButton *m_sample_custom;
    QLineEdit *m_sample_rate;
    QLabel *m_sample_unit;
    QGroupBox *m_bit_group;
    QRadioButton *m_bit_original;
    QRadioButton *m_bit_custom;
    QLineEdit *m_bit_rate;
    QLabel *m_bit_unit;
    QGroupBox *m_volume_group;
    QCheckBox *m_adjust_volume;
    QLineEdit *m_volume;
    UpDownButtons *m_volume_spin;
    QLabel *m_volume_unit;
};

} // namespace quillet
