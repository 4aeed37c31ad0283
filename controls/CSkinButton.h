// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "HoverState.h"
#include "SkinImageSet.h"

#include <QImage>
#include <QPixmap>
#include <QPushButton>

namespace quillet {

/// What a skinned button behaves as.
enum class SkinButtonKind { Push, CheckBox, Radio };

/// A dialog button painted from bitmaps: up to six state images (normal, pressed, hover,
/// disabled, focus) shaped by a mask, with hover tracking, an optional leading picture, a
/// caption colour and a tooltip. Check-box and radio kinds keep a check state; checking a radio
/// unchecks the other buttons of its group.
///
/// A group is the run of sibling widgets (in creation order) that starts at a widget marked as a
/// group start (SetGroupStart, or the "groupStart" property on any widget) and ends before the
/// next one; without marks, all siblings form one group.
class CSkinButton : public QPushButton
{
    Q_OBJECT

public:
    /// Name of the boolean widget property that marks the first widget of a group.
    static constexpr const char *kGroupStartProperty = "groupStart";
    /// How much of its face a disabled button shows over the window behind it.
    static constexpr qreal kDisabledFaceOpacity = 0.45;
    /// Where the focus mark lies on a button without a caption margin, in pixels from its edge.
    static constexpr int kFocusInset = 4;

    explicit CSkinButton(QWidget *parent = nullptr);
    explicit CSkinButton(const QString &text, QWidget *parent = nullptr);

    void SetKind(SkinButtonKind kind);
    SkinButtonKind Kind() const { return m_kind; }

    /// Loads the state images by bitmap number (0 = none) and the layout values. A missing
    /// disabled image reuses the normal one. A draw mode above 1 becomes 2 and below 0 becomes
    /// 0; a negative inset becomes 0. With a mask the button takes the mask's shape (and in
    /// natural mode its size); without one its shape and size stay as they were.
    void SetImages(int normal, int pressed, int hover, int disabled, int focus, int mask,
                   int draw_mode = 1, int edge = 0, int text_inset = 0);
    void SetImages(const SkinImageSet &set);

    /// Sets the caption colour; returns the previous one.
    QColor SetTextColor(const QColor &color);
    QColor TextColor() const;

    void SetTooltipText(const QString &text);

    /// Picture drawn left of the caption; pixels of the key colour are transparent. 0 removes it.
    void SetLeadingPicture(int id, const QColor &key_color);

    /// Check state of check-box and radio kinds; a push button stays unchecked. Checking a
    /// radio button unchecks every other button of its group.
    void SetCheck(bool checked);
    bool GetCheck() const;

    /// Marks this button as the first of a group of radio buttons.
    void SetGroupStart(bool start);

    bool IsHovering() const { return m_hover_state.Hovering(); }
    SkinDrawMode DrawMode() const { return m_draw_mode; }
    int Edge() const { return m_edge; }
    int TextInset() const { return m_text_inset; }

    /// In natural mode the mask's size, so layouts keep the button as big as its pictures.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void nextCheckState() override;

private:
    void UncheckFromGroup();
    QList<CSkinButton *> GroupMembers() const;
    void UpdateShape();
    void DrawFace(QPainter &painter, const QPixmap &face) const;
    QImage MaskedFace(const QPixmap &face, const QSize &target, qreal dpr) const;
    void DrawLeadingPicture(QPainter &painter, const QPixmap &picture) const;
    QColor DisabledTextColor() const;
    static QPixmap Greyed(const QPixmap &picture);
    void DrawCaption(QPainter &painter, const QRect &text_rect, const QColor &color) const;

    SkinButtonKind m_kind = SkinButtonKind::Push;
    QPixmap m_normal;
    QPixmap m_pressed;
    QPixmap m_hover;
    QPixmap m_disabled;
    QPixmap m_focus;
    QPixmap m_mask; // for blending the faces
    QImage m_mask_alpha; // m_mask as an alpha channel, at the mask's own resolution
    QImage m_region_source; // 1x mask the window shape is built from
    SkinDrawMode m_draw_mode = SkinDrawMode::Stretch;
    int m_edge = 0;
    int m_text_inset = 0;
    QColor m_text_color; // invalid: the palette's button text
    QPixmap m_leading;
    QPixmap m_leading_greyed; // drawn while the button is disabled
    HoverState m_hover_state{*this};
    bool m_tracking_press = false;
};

} // namespace quillet
