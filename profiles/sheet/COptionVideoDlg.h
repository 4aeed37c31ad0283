// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profiles/sheet/COptionPage.h"
#include "profiles/sheet/OptionSheetRules.h"

#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quillet {

/**
 * The Video page: dropping the video, codec, frame rate, bit rate and the three quotieties of
 * the default bit rate, which the page works out for the output size the Resize page chose.
 */
class COptionVideoDlg : public COptionPage
{
    Q_OBJECT

public:
    struct Fields
    {
        int disable = 0;
        int codec_index = -1;
        std::string codec = "auto";
        int frame_rate_choice = -1; ///< 0 as the source, 1 custom
        float frame_rate = 0;
        int bit_rate_choice = -1; ///< 0 the default bit rate, 1 custom
        int default_bit_rate = 0; ///< kbit/s, worked out, never in the file
        int bit_rate = 0;
        int high_quality = 0; ///< carried through; its box is hidden
        bool advanced = false; ///< shows the quotieties; never stored
        float quotiety1 = 0;
        float quotiety2 = 0;
        float quotiety3 = 0;
    };

    /// The output size as the Resize page last stored it; nothing when no size is chosen.
    using SizeSource = std::function<std::optional<sheet::FrameSize>()>;

    COptionVideoDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    void SetSizeSource(SizeSource source) { m_size_source = std::move(source); }

    void LoadFields(const ProfileRecord &record) override;
    void StoreFields(ProfileRecord &record) const override;
    void OnSetActive() override;
    void OnOK() override;
    void RefreshTexts() override;

    /// Works the default bit rate out afresh from the quotieties and shows it; with no size
    /// chosen it keeps its value.
    void RecomputeDefaultBitRate();

    const Fields &PageFields() const { return m_fields; }

protected:
    void DoDataExchange(DataExchange &dx) override;
    void UpdateControlStates() override;
    void OnEditFocused(QWidget *edit) override;

private:
    void CreateControls();
    void ShowDefaultBitRate(float q1, float q2, float q3);
    void ShowQualitySetting();
    void OnQuotietyEdited();

    Fields m_fields;
    ProfileRecord m_stored;
    SizeSource m_size_source;

    QCheckBox *m_disable;
    QLabel *m_codec_label;
    QComboBox *m_codec;
    QGroupBox *m_frame_group;
    QRadioButton *m_frame_original;
    QRadioButton *m_frame_custom;
    QLineEdit *m_frame_rate;
    QLabel *m_frame_unit;
    QGroupBox *m_bit_group;
    QRadioButton *m_bit_original;
    QLineEdit *m_default_rate;
    QLabel *m_default_unit;
    QRadioButton *m_bit_custom;
    QLineEdit *m_bit_rate;
    QLabel *m_bit_unit;
    QCheckBox *m_high_quality;
    QCheckBox *m_advanced;
    QLabel *m_quotiety_label;
    QLineEdit *m_quotiety[3];
};

} // namespace quillet
