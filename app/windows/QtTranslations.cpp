// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quillet {

QtTranslations::QtTranslations() = default;

QtTranslations::~QtTranslations()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

QString QtTranslations::LocaleNameOf(const std::string &language_name)
{
    QString english = QString::fromStdString(language_name);
    const qsizetype open = english.lastIndexOf(QLatin1Char('('));
    const qsizetype close = english.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open)
        english = english.mid(open + 1, close - open - 1);
    english = english.trimmed();
    for (int language = QLocale::C + 1; language <= QLocale::LastLanguage; ++language) {
        const auto candidate = static_cast<QLocale::Language>(language);
        if (QLocale::languageToString(candidate).compare(english, Qt::CaseInsensitive) == 0)
            return QLocale(candidate).name();
    }
    return {};
}

bool QtTranslations::Use(const std::string &language_name)
{
    if (m_translator) {
        QCoreApplication::removeTranslator(m_translator.get());
        m_translator.reset();
    }
    const QString locale = LocaleNameOf(language_name);
    if (locale.isEmpty() || locale.startsWith(QLatin1String("en")))
        return false;
    auto translator = std::make_unique<QTranslator>();
    // "qtbase_de_DE" is looked for first, then "qtbase_de", as Qt's own translations are named.
    if (!translator->load(QStringLiteral("qtbase_") + locale,
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    QCoreApplication::installTranslator(translator.get());
    m_translator = std::move(translator);
    return true;
}

} // namespace quillet
