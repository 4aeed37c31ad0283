// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QWidget>

class QSpinBox;

namespace quillet {
class CColorButton;
}

namespace subtitles {

/// One colour of the style: a button showing it (a click opens the colour dialog) and its
/// opacity in percent beside it.
class ColourChooser : public QWidget
{
    Q_OBJECT

public:
    /// title is the colour dialog's caption; opacity_label stands before the percentage.
    ColourChooser(const QString &title, const QString &tooltip, const QString &opacity_label,
                  QWidget *parent = nullptr);

    /// The colour with its opacity as alpha.
    QColor Colour() const;
    /// Shows colour (alpha as the opacity) without reporting a change.
    void SetColour(const QColor &colour);

    quillet::CColorButton *Button() const { return m_button; }
    QSpinBox *Opacity() const { return m_opacity; }

signals:
    /// The user chose another colour or opacity.
    void Changed();

private:
    void Choose();
    void ShowColour();

    QString m_title;
    QColor m_rgb;
    quillet::CColorButton *m_button;
    QSpinBox *m_opacity;
};

} // namespace subtitles
