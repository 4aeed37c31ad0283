// SPDX-License-Identifier: GPL-3.0-or-later
#include "ProgramStartUp.h"

#include "DialogLook.h"
#include "VeneerBinding.h"
#include "app/ConverterApp.h"
#include "core/MatroskaBinding.h"
#include "core/Prompter.h"
#include "texts/LanguageTable.h"

#include <dolmar.h>

#include <QApplication>
#include <QFileInfo>
#include <QPalette>
#include <QUrl>

namespace quillet {

ProgramStartUp::ProgramStartUp(ConverterApp &app, LanguageTable &languages,
                               MatroskaBinding &matroska, VeneerBinding &veneer, Prompter &prompter)
    : m_app(app)
    , m_languages(languages)
    , m_matroska(matroska)
    , m_veneer(veneer)
    , m_prompter(prompter)
{ }

void ProgramStartUp::SetLibraryNames(std::string matroska, std::string veneer)
{
    m_matroska_name = std::move(matroska);
    m_veneer_name = std::move(veneer);
}

void ProgramStartUp::StartUp(unsigned system_language_id)
{
    // The skin first: every window registers with it when it is made.
    if (m_veneer.Load(m_app.ProgramFolder(), m_veneer_name))
        m_veneer.InitSkin(1, 1, kSkinName);

    if (!m_matroska.Load(m_app.ProgramFolder(), m_matroska_name))
        m_prompter.Tell(kMatroskaLoadFailed);

    m_app.FillTexts();

    // Every dialog's background, with black text.
    QPalette dialogs = QApplication::palette();
    dialogs.setColor(QPalette::Window, DialogBackground());
    dialogs.setColor(QPalette::WindowText, Qt::black);
    QApplication::setPalette(dialogs);

    VCInit();
    m_app.LoadSettings();
    m_app.LoadFirstUse();
    m_app.LoadLanguageSettings(m_languages, system_language_id);
    m_app.SaveSettings();
}

void ProgramStartUp::ShutDown()
{
    VCExit();
}

std::vector<std::string>
ProgramStartUp::FilesFromArguments(const std::vector<std::string> &arguments)
{
    std::vector<std::string> files;
    bool options = true;
    for (const std::string &argument : arguments) {
        if (options && argument == "--") {
            options = false;
            continue;
        }
        if (argument.empty() || (options && argument.front() == '-'))
            continue;
        const QString text = QString::fromLocal8Bit(argument.c_str());
        const QString path = text.startsWith(QLatin1String("file:"))
            ? QUrl(text).toLocalFile()
            : QFileInfo(text).absoluteFilePath();
        if (!path.isEmpty())
            files.push_back(path.toLocal8Bit().toStdString());
    }
    return files;
}

} // namespace quillet
