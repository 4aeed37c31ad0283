// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QTabBar>

namespace quillet {

/// A tab strip whose tabs are painted in shades of one background colour, each with a vertical
/// gradient. How the shades are chosen is a process-wide setting (SetTabStyleFlags) made once,
/// before the strips are created; strips created while it is 0 keep the standard look.
///
/// To use it inside a QTabWidget, install it from a subclass with QTabWidget::setTabBar.
class CSkinTabCtrl : public QTabBar
{
    Q_OBJECT

public:
    enum TabStyleFlag : quint32 {
        UnselectedUseBackground = 0x01, ///< unselected tabs take the background colour itself
        DeriveFromBackground = 0x02, ///< shades come from the background colour
        LightenSelected = 0x04, ///< the selected tab is the background lightened
        Gradient = 0x08, ///< each tab fades vertically
        DarkenUnselected = 0x10, ///< darken unselected tabs even with 0x01
    };

    /// Sets the process-wide flags (or 0 when enable is false). Strips read them when they are
    /// created.
    static void SetTabStyleFlags(bool enable, quint32 flags);
    static quint32 TabStyleFlags();

    /// Each colour component times factor, truncated and kept at most 255.
    static QColor ScaleColor(const QColor &color, double factor);

    explicit CSkinTabCtrl(QWidget *parent = nullptr);

    /// Colour the shades come from; an invalid colour means the palette's button colour.
    void SetBackgroundColor(const QColor &color);
    QColor BackgroundColor() const { return m_background; }

    /// Whether this strip paints its tabs itself (the flags were set when it was created).
    bool IsOwnerDrawn() const { return m_owner_drawn; }

    QColor FaceColor(bool selected) const;
    /// The colour a tab's gradient ends in at its bottom edge.
    QColor BottomColor(bool selected) const;
    QColor TextColor(bool selected) const;
    /// The tab's text as drawn: cut with an ellipsis to fit the tab.
    QString DisplayedText(int index) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor BaseColor() const;
    QColor StoredOrFace() const;
    QRect ItemRect(int index) const;
    QRect TextArea(int index) const;
    void DrawTab(QPainter &painter, int index) const;

    static quint32 s_tab_style_flags;
    QColor m_background;
    bool m_owner_drawn;
};

} // namespace quillet
