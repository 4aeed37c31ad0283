// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QList>
#include <QMargins>
#include <QProgressBar>

namespace quillet {

/// A progress bar that paints its own background, a colour gradient spread over the whole bar
/// (the filled part shows only its share of it) and a one-line caption whose letters change
/// colour where the bar ends. Range and position are the QProgressBar's.
class CGradientProgress : public QProgressBar
{
    Q_OBJECT

public:
    /// Style bits the bar reads.
    enum StyleBit : quint32 {
        Vertical = 0x0004, ///< grows upwards
        CaptionText = 0x0100, ///< caption shown (either caption bit will do)
        CaptionShown = 0x0200, ///< caption shown
        FromFarEdge = 0x4000, ///< grows from the right (from the top when vertical)
    };
    static constexpr quint32 kCaptionBits = CaptionText | CaptionShown;

    explicit CGradientProgress(QWidget *parent = nullptr);

    void SetStyleBits(quint32 bits);
    quint32 StyleBits() const { return m_style_bits; }

    /// Clears both caption bits and sets the given ones, and stores the mode text. An empty
    /// text or no bits turns the caption off and empties the text.
    void SetCaptionMode(const QString &text, quint32 bits);
    QString CaptionModeText() const { return m_mode_text; }

    /// The status text drawn on the bar; repaint draws it at once, otherwise at the next paint.
    void SetCaption(const QString &text, bool repaint);
    QString Caption() const { return m_caption; }

    /// Two-colour gradient from first to second; an invalid second repeats the first.
    void SetBarColor(const QColor &first, const QColor &second = QColor());
    /// Any number of colours spread evenly over the bar. An empty list restores the default.
    void SetGradientColors(const QList<QColor> &colors);
    QList<QColor> GradientColors() const;

    void SetBkColor(const QColor &color);
    QColor BkColor() const;
    void SetBarTextColor(const QColor &color);
    QColor BarTextColor() const;
    void SetBackgroundTextColor(const QColor &color);
    QColor BackgroundTextColor() const;

    /// Margins between the control's edge and the bar.
    void SetBorder(const QMargins &border);
    QMargins Border() const { return m_border; }

    /// Length in pixels of the filled part for the current position; 0 for an empty range.
    int FilledLength() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect BarArea() const;
    QRect FilledRect(const QRect &bar, int length) const;
    QRect SpanRect(const QRect &bar, int from, int to) const;
    void DrawGradient(QPainter &painter, const QRect &bar, int filled) const;

    quint32 m_style_bits = 0;
    QString m_mode_text;
    QString m_caption;
    QList<QColor> m_gradient; // empty: two of the palette's title-bar colour
    QColor m_background;
    QColor m_bar_text;
    QColor m_background_text;
    QMargins m_border;
};

} // namespace quillet
