// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profiles/sheet/COptionPage.h"
#include "profiles/sheet/OptionSheetRules.h"

#include <array>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace quillet {

class CColorButton;

/**
 * The Crop & Pad page: the margins cut from the source, the bands added around the picture and
 * their colour. The margin edits of a group are enabled only while its check box is ticked; the
 * margins are kept and saved either way.
 */
class COptionCropandPadDlg : public COptionPage
{
    Q_OBJECT

public:
    enum Side { Left, Right, Top, Bottom };

    struct Fields
    {
        int enable_crop = 0;
        std::array<int, 4> crop = {}; ///< by Side
        int enable_pad = 0;
        std::array<int, 4> pad = {};
        int32_t pad_color = sheet::kInitialPadColor; ///< 0xRRGGBB
    };

    COptionCropandPadDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    void LoadFields(const ProfileRecord &record) override;
    void StoreFields(ProfileRecord &record) const override;
    void RefreshTexts() override;

    /// Opens the platform's colour dialog on the pad colour; OK takes the chosen colour.
    void ChoosePadColor();

    const Fields &PageFields() const { return m_fields; }

protected:
    void DoDataExchange(DataExchange &dx) override;
    void UpdateControlStates() override;

private:
    void CreateControls();
    /// The four labelled margin edits of a group, in two columns from top (dialog units).
    void CreateMargins(const char *prefix, int top, std::array<QLabel *, 4> &labels,
                       std::array<QLineEdit *, 4> &edits);
    /// Shows the pad colour on the button and as text.
    void ShowPadColor();

    Fields m_fields;

    QGroupBox *m_crop_group;
    QCheckBox *m_enable_crop;
    std::array<QLabel *, 4> m_crop_labels;
    std::array<QLineEdit *, 4> m_crop;
    QGroupBox *m_pad_group;
    QCheckBox *m_enable_pad;
    std::array<QLabel *, 4> m_pad_labels;
    std::array<QLineEdit *, 4> m_pad;
    QLabel *m_color_label;
    QLineEdit *m_color_text;
    CColorButton *m_color_button;
};

} // namespace quillet
