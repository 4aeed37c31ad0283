// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>

#include <string>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QWidget;

namespace quillet {

class Prompter;

/**
 * Moves values between a dialog's fields and its controls, and checks them on the way back, the
 * way dialog pages have always done it: one object per pass, one call per field in the order of
 * the page.
 *
 * Loading (ToControls) writes every value into its control. Saving (FromControls) reads every
 * control; the first field that does not parse or is out of range is refused with the standard
 * message ("Please enter an integer.", "Please enter an integer between 100 and 600.", ...), the
 * focus goes to its control with its text selected, and every later call of the pass does
 * nothing, so the caller keeps the page open and its values unchanged from that field on.
 * Numbers are written and read with '.' whatever the locale, like the profile files.
 */
class DataExchange
{
public:
    enum class Direction { ToControls, FromControls };

    /// prompter shows the refusal messages; caption is their title (empty: the prompter's own).
    DataExchange(Direction direction, Prompter &prompter, QString caption = {});

    bool Saving() const { return m_direction == Direction::FromControls; }
    /// Whether a field of this pass was refused.
    bool Failed() const { return m_failed; }

    /// An integer field: decimal digits with an optional sign, blanks around them allowed.
    void Integer(QLineEdit *edit, int &value);
    /// Integer plus a range check when saving (min and max included).
    void Integer(QLineEdit *edit, int &value, int min, int max);
    /// A 32-bit real, shown with 6 significant digits.
    void Number(QLineEdit *edit, float &value);
    void Number(QLineEdit *edit, float &value, float min, float max);
    /// A 64-bit real, shown with 15 significant digits.
    void Number(QLineEdit *edit, double &value);
    void Number(QLineEdit *edit, double &value, double min, double max);
    /// A text field; max_chars > 0 refuses longer texts when saving.
    void Text(QLineEdit *edit, std::string &value, int max_chars = 0);

    /// A check box: 0 clear, 1 ticked (a record's stored flag).
    void Check(QAbstractButton *box, int &value);
    /// A check box whose state is the window's own.
    void Check(QAbstractButton *box, bool &value);
    /// A group of radio buttons: the index of the chosen one in group, -1 for none.
    void Radio(const QList<QAbstractButton *> &group, int &index);
    /// A drop-down list's selected index, -1 for none.
    void ListIndex(QComboBox *list, int &index);

    /// The standard texts, for callers that check a value of their own.
    static QString IntegerMessage();
    static QString NumberMessage();
    static QString IntegerRangeMessage(int min, int max);
    static QString NumberRangeMessage(double min, double max, int digits);
    static QString TooLongMessage(int max_chars);

    /// The parsing rules of the fields, for callers that read a control themselves.
    static bool ParseInteger(const QString &text, int &value);
    static bool ParseNumber(const QString &text, double &value);
    /// %.*g with digits significant digits, '.' as the decimal point.
    static QString FormatNumber(double value, int digits);

private:
    bool Skip() const { return m_failed; }
    void Refuse(QWidget *control, const QString &message);
    template<typename Real>
    void RealField(QLineEdit *edit, Real &value, int digits, const Real *min, const Real *max);

    Direction m_direction;
    Prompter &m_prompter;
    QString m_caption;
    bool m_failed = false;
};

} // namespace quillet
