// SPDX-License-Identifier: GPL-3.0-or-later
#include "DataExchange.h"

#include "core/Prompter.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quillet {

namespace {

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

QString Trimmed(const QString &text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

DataExchange::DataExchange(Direction direction, Prompter &prompter, QString caption)
    : m_direction(direction)
    , m_prompter(prompter)
    , m_caption(std::move(caption))
{ }

QString DataExchange::IntegerMessage()
{
    return QStringLiteral("Please enter an integer.");
}

QString DataExchange::NumberMessage()
{
    return QStringLiteral("Please enter a number.");
}

QString DataExchange::IntegerRangeMessage(int min, int max)
{
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(min).arg(max);
}

QString DataExchange::NumberRangeMessage(double min, double max, int digits)
{
    return QStringLiteral("Please enter a number between %1 and %2.")
        .arg(FormatNumber(min, digits), FormatNumber(max, digits));
}

QString DataExchange::TooLongMessage(int max_chars)
{
    return QStringLiteral("Please enter no more than %1 characters.").arg(max_chars);
}

bool DataExchange::ParseInteger(const QString &text, int &value)
{
    const QString body = Trimmed(text);
    int i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == u'+' || body[i] == u'-'))
        negative = body[i++] == u'-';
    if (i == body.size())
        return false;
    long long magnitude = 0;
    for (; i < body.size(); ++i) {
        if (body[i] < u'0' || body[i] > u'9')
            return false;
        magnitude = magnitude * 10 + (body[i].unicode() - u'0');
        // One past INT_MAX still fits the negative side; anything larger is no int.
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    const long long signed_value = negative ? -magnitude : magnitude;
    if (signed_value > INT_MAX)
        return false;
    value = static_cast<int>(signed_value);
    return true;
}

bool DataExchange::ParseNumber(const QString &text, double &value)
{
    const QString body = Trimmed(text);
    if (body.isEmpty())
        return false;
    // Only the characters a decimal number can hold: strtod alone would also take "inf",
    // "nan" and hexadecimal floats, which no field of ours means.
    for (QChar c : body) {
        if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && c != u'+' && c != u'-' && c != u'e'
            && c != u'E')
            return false;
    }
    const QByteArray bytes = body.toLatin1();
    // strtod follows the C locale's decimal point, which Qt may have set from the user's
    // locale; parse in the "C" locale so '.' is the point everywhere.
    locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    locale_t previous = uselocale(c_locale);
    char *end = nullptr;
    errno = 0;
    const double parsed = std::strtod(bytes.constData(), &end);
    const bool overflow = errno == ERANGE && std::isinf(parsed);
    uselocale(previous);
    freelocale(c_locale);
    if (end != bytes.constData() + bytes.size() || end == bytes.constData() || overflow)
        return false;
    value = parsed;
    return true;
}

QString DataExchange::FormatNumber(double value, int digits)
{
    char text[64];
    locale_t c_locale = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    locale_t previous = uselocale(c_locale);
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    uselocale(previous);
    freelocale(c_locale);
    return QString::fromLatin1(text);
}

void DataExchange::Refuse(QWidget *control, const QString &message)
{
    m_failed = true;
    m_prompter.Tell(message.toStdString(), m_caption.toStdString(), Prompter::Icon::Exclamation);
    if (control == nullptr)
        return;
    control->setFocus(Qt::OtherFocusReason);
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
}

void DataExchange::Integer(QLineEdit *edit, int &value)
{
    if (Skip())
        return;
    if (!Saving()) {
        edit->setText(QString::number(value));
        return;
    }
    int parsed = 0;
    if (!ParseInteger(edit->text(), parsed)) {
        Refuse(edit, IntegerMessage());
        return;
    }
    value = parsed;
}

void DataExchange::Integer(QLineEdit *edit, int &value, int min, int max)
{
    Integer(edit, value);
    if (Skip() || !Saving())
        return;
    if (value < min || value > max)
        Refuse(edit, IntegerRangeMessage(min, max));
}

template<typename Real>
void DataExchange::RealField(QLineEdit *edit, Real &value, int digits, const Real *min,
                             const Real *max)
{
    if (Skip())
        return;
    if (!Saving()) {
        edit->setText(FormatNumber(value, digits));
        return;
    }
    double parsed = 0;
    if (!ParseNumber(edit->text(), parsed)
        || (sizeof(Real) < sizeof(double) && std::fabs(parsed) > FLT_MAX)) {
        Refuse(edit, NumberMessage());
        return;
    }
    value = static_cast<Real>(parsed);
    if (min != nullptr && (value < *min || value > *max))
        Refuse(edit, NumberRangeMessage(*min, *max, digits));
}

void DataExchange::Number(QLineEdit *edit, float &value)
{
    RealField<float>(edit, value, FLT_DIG, nullptr, nullptr);
}

void DataExchange::Number(QLineEdit *edit, float &value, float min, float max)
{
    RealField<float>(edit, value, FLT_DIG, &min, &max);
}

void DataExchange::Number(QLineEdit *edit, double &value)
{
    RealField<double>(edit, value, DBL_DIG, nullptr, nullptr);
}

void DataExchange::Number(QLineEdit *edit, double &value, double min, double max)
{
    RealField<double>(edit, value, DBL_DIG, &min, &max);
}

void DataExchange::Text(QLineEdit *edit, std::string &value, int max_chars)
{
    if (Skip())
        return;
    if (!Saving()) {
        edit->setText(QString::fromStdString(value));
        return;
    }
    const QString text = edit->text();
    if (max_chars > 0 && text.size() > max_chars) {
        Refuse(edit, TooLongMessage(max_chars));
        return;
    }
    value = text.toStdString();
}

void DataExchange::Check(QAbstractButton *box, int &value)
{
    if (Skip())
        return;
    if (!Saving())
        box->setChecked(value != 0);
    else
        value = box->isChecked() ? 1 : 0;
}

void DataExchange::Check(QAbstractButton *box, bool &value)
{
    int ticked = value ? 1 : 0;
    Check(box, ticked);
    value = ticked != 0;
}

void DataExchange::Radio(const QList<QAbstractButton *> &group, int &index)
{
    if (Skip())
        return;
    if (Saving()) {
        index = -1;
        for (int i = 0; i < group.size(); ++i) {
            if (group[i]->isChecked()) {
                index = i;
                break;
            }
        }
        return;
    }
    // Exclusive radio buttons refuse to uncheck the last checked one; set each without
    // exclusivity so -1 really leaves none chosen.
    for (int i = 0; i < group.size(); ++i) {
        QAbstractButton *button = group[i];
        QButtonGroup *buttons = button->group();
        const bool group_exclusive = buttons != nullptr && buttons->exclusive();
        const bool auto_exclusive = button->autoExclusive();
        if (group_exclusive)
            buttons->setExclusive(false);
        button->setAutoExclusive(false);
        button->setChecked(i == index);
        button->setAutoExclusive(auto_exclusive);
        if (group_exclusive)
            buttons->setExclusive(true);
    }
}

void DataExchange::ListIndex(QComboBox *list, int &index)
{
    if (Skip())
        return;
    if (!Saving())
        list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
    else
        index = list->currentIndex();
}

} // namespace quillet
