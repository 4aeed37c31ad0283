// SPDX-License-Identifier: GPL-3.0-or-later
#include "profiles/sheet/COptionPage.h"

#include "controls/DataExchange.h"
#include "controls/DialogLook.h"
#include "core/Prompter.h"
#include "texts/LanguageKeys.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QFocusEvent>
#include <QLineEdit>

namespace quillet {

QFont COptionPage::PageFont()
{
    QFont font(DialogFontFamily());
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

COptionPage::COptionPage(Prompter &prompter, const Texts &texts, QWidget *parent)
    : QWidget(parent)
    , m_prompter(prompter)
    , m_texts(texts)
    , m_units(PageFont())
{
    // The page lays itself out in this font, so it must not wait for the sheet to pass it on.
    setFont(PageFont());
    setFixedSize(m_units.X(kWidthDu), m_units.Y(kHeightDu));
}

bool COptionPage::UpdateData(bool save)
{
    DataExchange dx(save ? DataExchange::Direction::FromControls
                         : DataExchange::Direction::ToControls,
                    m_prompter);
    DoDataExchange(dx);
    return !dx.Failed();
}

void COptionPage::ShowRecord(const ProfileRecord &record)
{
    LoadFields(record);
    UpdateData(false);
    UpdateControlStates();
}

void COptionPage::WatchFocus(QWidget *edit)
{
    edit->installEventFilter(this);
}

bool COptionPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        // Only focus the user gives counts: the field exchange puts the focus on a refused
        // field itself, and that must not change the field's radio or check box behind the
        // user's back.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason
            || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
            OnEditFocused(static_cast<QWidget *>(watched));
    }
    return QWidget::eventFilter(watched, event);
}

void COptionPage::Place(QWidget *w, int x, int y, int width, int height) const
{
    w->setGeometry(m_units.Rect(x, y, width, height));
}

void COptionPage::PlaceList(QComboBox *list, int x, int y, int width) const
{
    const QRect r = m_units.Rect(x, y, width, 12);
    list->setGeometry(r.x(), r.y(), r.width(), list->sizeHint().height());
}

void COptionPage::MakeReadOnly(QLineEdit *edit)
{
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
}

void COptionPage::MakeRadioGroup(const QList<QAbstractButton *> &buttons)
{
    auto *group = new QButtonGroup(this);
    for (QAbstractButton *button : buttons)
        group->addButton(button);
}

void COptionPage::ExchangeReal(DataExchange &dx, QLineEdit *edit, float &value)
{
    ExchangeRealImpl(dx, edit, value, nullptr, nullptr);
}

void COptionPage::ExchangeReal(DataExchange &dx, QLineEdit *edit, float &value, float min,
                               float max)
{
    ExchangeRealImpl(dx, edit, value, &min, &max);
}

void COptionPage::ExchangeRealImpl(DataExchange &dx, QLineEdit *edit, float &value,
                                   const float *min, const float *max)
{
    if (dx.Failed())
        return;
    if (!dx.Saving()) {
        dx.Number(edit, value);
        m_shown_reals.insert(edit, edit->text());
        return;
    }
    float parsed = value;
    if (min != nullptr)
        dx.Number(edit, parsed, *min, *max);
    else
        dx.Number(edit, parsed);
    if (dx.Failed())
        return;
    // Six significant digits show the value but need not give it back exactly (2.123456 reads
    // as 2.12346): keep the stored value while its text is untouched.
    const auto shown = m_shown_reals.constFind(edit);
    if (shown == m_shown_reals.constEnd() || *shown != edit->text())
        value = parsed;
}

} // namespace quillet
