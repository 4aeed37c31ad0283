// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "controls/DialogUnits.h"
#include "core/ProfileRecord.h"

#include <QComboBox>
#include <QHash>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QLineEdit;

namespace quillet {

class DataExchange;
class Prompter;
class Texts;
struct LanguageKey;

/**
 * One page of the option sheet. A page keeps its own copy of the fields it edits (loaded from a
 * profile record, stored back into one) and moves them to and from its controls through one
 * field exchange (DoDataExchange), which refuses bad input with the standard texts and keeps the
 * page open. The sheet calls OnSetActive and OnKillActive when the user switches pages and OnOK
 * when the sheet is accepted.
 *
 * Controls are placed at template positions in dialog units of the page font, so the pages grow
 * with the font instead of cutting their texts.
 */
class COptionPage : public QWidget
{
    Q_OBJECT

public:
    /// Size of every page in dialog units.
    static constexpr int kWidthDu = 233;
    static constexpr int kHeightDu = 257;

    /// The font of the sheet and of every control on its pages: the dialogs' family at 13 px.
    static QFont PageFont();

    COptionPage(Prompter &prompter, const Texts &texts, QWidget *parent = nullptr);

    /// Takes the page's fields from record.
    virtual void LoadFields(const ProfileRecord &record) = 0;
    /// Writes the page's fields into record.
    virtual void StoreFields(ProfileRecord &record) const = 0;

    /**
     * Moves the fields into the controls (save false), or reads and checks the controls into
     * the fields (save true).
     * @return false when a field was refused; the message was shown and the focus is on it
     */
    bool UpdateData(bool save);

    /// Loads record's fields and shows them with the page's enabling rules.
    void ShowRecord(const ProfileRecord &record);

    /// The page becomes the visible one.
    virtual void OnSetActive() { }
    /// The page is about to be left (another page or OK): reads it; false keeps it.
    virtual bool OnKillActive() { return UpdateData(true); }
    /// The sheet was accepted: reads what the field exchange leaves to OK.
    virtual void OnOK() { }

    /// Sets every caption from the current language.
    virtual void RefreshTexts() = 0;

protected:
    virtual void DoDataExchange(DataExchange &dx) = 0;
    /// Enables, disables, shows and hides controls after the fields were shown.
    virtual void UpdateControlStates() { }
    /// The user moved the focus into an edit registered with WatchFocus.
    virtual void OnEditFocused(QWidget *edit) { }

    /// Reports focus the user gives to edit (click, Tab, shortcut) through OnEditFocused.
    /// Focus the page itself gives (after a refusal) is not reported.
    void WatchFocus(QWidget *edit);
    bool eventFilter(QObject *watched, QEvent *event) override;

    /// Puts w at a template rectangle given in dialog units.
    void Place(QWidget *w, int x, int y, int width, int height) const;
    /// Puts a drop-down list at x, y with width; its height is the list's own.
    void PlaceList(QComboBox *list, int x, int y, int width) const;

    /// An edit that shows a value the user cannot type: read-only, on the window's colour.
    static void MakeReadOnly(QLineEdit *edit);

    /// Makes buttons one radio group of their own (all controls share the page as parent).
    void MakeRadioGroup(const QList<QAbstractButton *> &buttons);

    /**
     * A real field, shown with the digits a 32-bit real holds. Text left as it was shown keeps
     * the exact stored value, so opening and accepting the sheet never rounds a profile's
     * numbers; a range, when given, is checked either way.
     */
    void ExchangeReal(DataExchange &dx, QLineEdit *edit, float &value);
    void ExchangeReal(DataExchange &dx, QLineEdit *edit, float &value, float min, float max);

    /// A radio group's or list's choice as it is stored: the record's own value stays when
    /// nothing is chosen (a stored value the controls cannot show is never lost).
    static int ChosenOr(int chosen, int stored) { return chosen >= 0 ? chosen : stored; }

    /// Fills list with fixed (untranslated) texts.
    template<typename Items> static void FillList(QComboBox *list, const Items &texts)
    {
        for (const auto &text : texts)
            list->addItem(QString::fromUtf8(text.data(), qsizetype(text.size())));
    }

    Prompter &m_prompter;
    const Texts &m_texts;
    DialogUnits m_units;

private:
    void ExchangeRealImpl(DataExchange &dx, QLineEdit *edit, float &value, const float *min,
                          const float *max);

    QHash<const QLineEdit *, QString> m_shown_reals; // text each real edit was last given
};

} // namespace quillet
