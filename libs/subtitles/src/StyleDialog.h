// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "StyleFile.h"
#include "StyleSettings.h"

#include <QDialog>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

class QCheckBox;
class QDoubleSpinBox;
class QFontComboBox;
class QLabel;
class QSpinBox;
class QTimer;

namespace quillet {
class CSkinButton;
class Texts;
} // namespace quillet

namespace subtitles {

class AlignmentPicker;
class ColourChooser;
class PreviewRenderer;

/**
 * The subtitle style dialog: font, size, bold and italic; the colours of the letters, their
 * outline and their shadow, each with its opacity; outline width and shadow distance; where the
 * text sits and its margins. Beside them a preview shows sample text over a video frame, drawn
 * by the engine's burn-in with the style as it would be saved, and follows every change.
 */
class StyleDialog : public QDialog
{
    Q_OBJECT

public:
    /// The preview picture's size: a 16:9 frame.
    static constexpr QSize kPreviewSize{480, 270};

    /// @param defaults what Default goes back to
    /// @param initial the style shown first
    StyleDialog(const quillet::Texts &texts, const StyleFile &file, StyleSettings defaults,
                const StyleSettings &initial, QWidget *parent = nullptr);
    ~StyleDialog() override;

    /// The style the controls show.
    StyleSettings Settings() const;
    void SetSettings(const StyleSettings &settings);

    /// The preview as it stands, drawn first when a change is still waiting to be drawn.
    QImage PreviewImage();
    /// The text shown instead of the preview when it cannot be drawn (empty otherwise).
    QString PreviewError() const;

private:
    void BuildControls(const quillet::Texts &texts);
    void PreviewLater();
    void DrawPreview();

    const StyleFile &m_file;
    StyleSettings m_defaults;
    QString m_preview_failed; // format of the message shown when drawing fails

    QFontComboBox *m_font = nullptr;
    QSpinBox *m_size = nullptr;
    QCheckBox *m_bold = nullptr;
    QCheckBox *m_italic = nullptr;
    ColourChooser *m_primary = nullptr;
    ColourChooser *m_outline = nullptr;
    ColourChooser *m_shadow = nullptr;
    QDoubleSpinBox *m_outline_width = nullptr;
    QDoubleSpinBox *m_shadow_distance = nullptr;
    AlignmentPicker *m_alignment = nullptr;
    QSpinBox *m_margin_left = nullptr;
    QSpinBox *m_margin_right = nullptr;
    QSpinBox *m_margin_vertical = nullptr;
    QLabel *m_preview = nullptr;
    quillet::CSkinButton *m_default_button = nullptr;
    quillet::CSkinButton *m_ok = nullptr;
    quillet::CSkinButton *m_cancel = nullptr;

    QTimer *m_preview_timer = nullptr;
    QTemporaryDir m_folder; // holds the sample subtitle file
    QImage m_frame;
    QImage m_preview_image;
    std::unique_ptr<PreviewRenderer> m_renderer;
};

} // namespace subtitles
