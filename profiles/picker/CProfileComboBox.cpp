// SPDX-License-Identifier: GPL-3.0-or-later
#include "CProfileComboBox.h"

#include "CProfileComboDlg.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>

namespace quillet {

namespace {

/// The closed picker as a reader sees it: a combo box named by its label, whose value is the
/// committed profile and which opens its drop-down.
class ProfileComboAccessible : public QAccessibleWidget
{
public:
    explicit ProfileComboAccessible(CProfileComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    { }

    CProfileComboBox *Box() const { return static_cast<CProfileComboBox *>(object()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return Box()->CommittedText();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = Box()->PopupVisible();
        s.collapsed = !s.expanded;
        return s;
    }

    QStringList actionNames() const override
    {
        return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
    }

    void doAction(const QString &name) override
    {
        if (name == showMenuAction() || name == pressAction())
            Box()->OpenPopup();
        else
            QAccessibleWidget::doAction(name);
    }
};

QAccessibleInterface *PickerFactory(const QString &, QObject *object)
{
    if (auto *box = qobject_cast<CProfileComboBox *>(object))
        return new ProfileComboAccessible(box);
    return nullptr;
}

} // namespace

CProfileComboBox::CProfileComboBox(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    static const bool kFactoryInstalled = [] {
        QAccessible::installFactory(PickerFactory);
        return true;
    }();
    Q_UNUSED(kFactoryInstalled);
}

void CProfileComboBox::Create(int popup_width, int popup_height)
{
    delete m_popup;
    const QSize size(popup_width > 0 ? popup_width : width(),
                     popup_height > 0 ? popup_height : 100);
    m_popup = new CProfileComboDlg(this, size);
    m_popup->hide();
    connect(m_popup, &CProfileComboDlg::ProfileSelected, this, &CProfileComboBox::ProfileSelected);
    connect(m_popup, &CProfileComboDlg::CommittedChanged, this, [this] {
        update();
        if (QAccessible::isActive()) {
            QAccessibleValueChangeEvent changed(this, CommittedText());
            QAccessible::updateAccessibility(&changed);
        }
    });
}

void CProfileComboBox::AddProfile(std::string_view ini_file, std::string_view section)
{
    if (m_popup)
        m_popup->AddProfile(ini_file, section);
}

void CProfileComboBox::FinishGroups()
{
    if (m_popup)
        m_popup->FinishGroups();
}

void CProfileComboBox::ShowTexts(const Texts &texts)
{
    if (m_popup)
        m_popup->ShowTexts(texts);
}

void CProfileComboBox::Scan(const std::string &ini_folder)
{
    if (m_popup)
        m_popup->Scan(ini_folder);
}

void CProfileComboBox::SelectProfile(std::string_view ini_file, std::string_view section)
{
    if (m_popup)
        m_popup->SelectProfile(ini_file, section);
    update();
}

bool CProfileComboBox::GetSelectedProfile(std::string &ini_file, std::string &section) const
{
    return m_popup && m_popup->GetSelectedProfile(ini_file, section);
}

int CProfileComboBox::CommittedIndex() const
{
    return m_popup ? m_popup->Catalogue().CommittedItem() : -1;
}

QString CProfileComboBox::CommittedText() const
{
    const ProfileItem *item = m_popup ? m_popup->Catalogue().CommittedProfile() : nullptr;
    return item ? QString::fromStdString(item->section) : QString();
}

int CProfileComboBox::CommittedIcon() const
{
    const ProfileItem *item = m_popup ? m_popup->Catalogue().CommittedProfile() : nullptr;
    return item ? item->icon : -1;
}

CProfileComboDlg *CProfileComboBox::Popup() const
{
    return m_popup;
}

bool CProfileComboBox::PopupVisible() const
{
    return m_popup && m_popup->isVisible();
}

void CProfileComboBox::OpenPopup()
{
    if (!m_popup || m_popup->isVisible())
        return;
    m_popup->OpenBelow(QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void CProfileComboBox::Toggle()
{
    if (!m_popup)
        return;
    if (m_popup->isVisible())
        m_popup->HideNow();
    else
        OpenPopup();
}

QSize CProfileComboBox::sizeHint() const
{
    return QSize(200, qMax(20, fontMetrics().height() + 8));
}

void CProfileComboBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = false;
    option.frame = true;
    if (PopupVisible())
        option.state |= QStyle::State_On;
    style()->drawComplexControl(QStyle::CC_ComboBox, &option, &painter, this);
    if (CommittedIndex() < 0)
        return;
    // The committed profile: its small icon 4 pixels from the left, centred, then its name.
    const QRect field
        = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int icon_top = (height() - 16) / 2;
    m_popup->SmallIcons().Draw(painter, CommittedIcon(), QPoint(4, icon_top), !isEnabled());
    const QRect text(24, field.top(), field.right() - 24, field.height());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(CommittedText(), Qt::ElideRight, text.width()));
}

void CProfileComboBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        Toggle();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CProfileComboBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double click is two toggles' worth of clicks; each press toggles once.
    mousePressEvent(event);
}

void CProfileComboBox::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_F4:
        // F4 opens the drop-down as it opens every drop-down list.
        OpenPopup();
        event->accept();
        return;
    case Qt::Key_Down:
        if (event->modifiers() & Qt::AltModifier) {
            OpenPopup();
            event->accept();
            return;
        }
        [[fallthrough]];
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Right:
        // The arrows never change the profile; they only repaint the control.
        update();
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace quillet
