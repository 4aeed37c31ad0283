// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <memory>
#include <string>

class QTranslator;

namespace quillet {

/**
 * Qt's own texts in the program's language: the buttons and labels of the file dialog, the
 * standard context menus and message box buttons come from Qt's translation (qtbase_<code>.qm
 * in Qt's translations folder) of the language the user chose. English, a language Qt has no
 * translation for, and a system without Qt's translations installed keep Qt's English.
 */
class QtTranslations
{
public:
    QtTranslations();
    ~QtTranslations();

    /**
     * Installs Qt's translation for language_name, replacing the one installed before.
     * @param language_name a language file's name, for example "Deutsch (German)"
     * @return whether a translation is installed now
     */
    bool Use(const std::string &language_name);

    /// Qt's name of the language a language file names: its English name in the parentheses
    /// (or the whole name) as Qt spells languages ("de_DE" for "Deutsch (German)"); empty when
    /// Qt knows no such language.
    static QString LocaleNameOf(const std::string &language_name);

private:
    std::unique_ptr<QTranslator> m_translator;
};

} // namespace quillet
