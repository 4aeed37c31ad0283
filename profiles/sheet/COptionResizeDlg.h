// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profiles/sheet/COptionPage.h"
#include "profiles/sheet/OptionSheetRules.h"

#include <array>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace quillet {

/**
 * The Resize page: the output picture size (twelve choices, one of them a custom size) and the
 * aspect ratio. The radios keep their stored order as their values even where the page draws
 * them elsewhere: "Custom size" (9) sits on the bottom row with its edits, "1280 x 768" (10) and
 * "1920 x 1080" (11) in the right column.
 */
class COptionResizeDlg : public COptionPage
{
    Q_OBJECT

public:
    struct Fields
    {
        int size_choice = -1; ///< 0-11, -1 none
        int custom_width = 0;
        int custom_height = 0;
        int aspect = -1; ///< 0 normal, 1 4:3, 2 16:9
        int source_width = 0; ///< of the task, for "Original size"; no control
        int source_height = 0;
    };

    COptionResizeDlg(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    void LoadFields(const ProfileRecord &record) override;
    void StoreFields(ProfileRecord &record) const override;
    void RefreshTexts() override;

    /// The output size of the choice as the page last stored it (when it was created or
    /// last left); nothing when no size is chosen.
    std::optional<sheet::FrameSize> StoredOutputSize() const;

    const Fields &PageFields() const { return m_fields; }

protected:
    void DoDataExchange(DataExchange &dx) override;
    void OnEditFocused(QWidget *edit) override;

private:
    void CreateControls();

    Fields m_fields;
    ProfileRecord m_stored;

    QGroupBox *m_size_group;
    std::array<QRadioButton *, sheet::kSizeChoices> m_sizes;
    QLineEdit *m_custom_width;
    QLabel *m_by;
    QLineEdit *m_custom_height;
    QGroupBox *m_aspect_group;
    std::array<QRadioButton *, 3> m_aspects;
};

} // namespace quillet
