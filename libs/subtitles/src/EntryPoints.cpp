// SPDX-License-Identifier: GPL-3.0-or-later
// The library's C entry points. Each catches everything: no exception crosses into the caller.

#include "subtitles.h"

#include "ProgramLanguage.h"
#include "StyleDialog.h"
#include "StyleFile.h"
#include "StyleSettings.h"

#include "controls/MessageBoxPrompter.h"
#include "texts/LanguageKeys.h"
#include "texts/LanguageTable.h"
#include "texts/Texts.h"
#include "texts/ui/UiText.h"

#include <QApplication>
#include <QFontInfo>
#include <QPointer>
#include <QThread>
#include <QWidget>

#include <cstdio>
#include <exception>
#include <memory>

namespace {

using namespace subtitles;

/// What one edit (ST_Init to ST_Exit) keeps: the texts and the window the dialog was shown over,
/// which a failed save is reported over.
struct EditSession
{
    std::unique_ptr<quillet::LanguageTable> language;
    QPointer<QWidget> owner;
};

std::unique_ptr<EditSession> g_session;
const quillet::BuiltInTexts kGBuiltInTexts;

const quillet::Texts &CurrentTexts()
{
    if (g_session && g_session->language)
        return *g_session->language;
    return kGBuiltInTexts;
}

/// A dialog can be shown only inside the caller's running Qt application, on its thread.
bool CanShowWindows()
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    return app && QThread::currentThread() == app->thread();
}

/// The style text subtitles get when nothing is saved, in the family that Arial, the engine's
/// default font, resolves to on this system.
StyleSettings Defaults()
{
    return DefaultStyle(QFontInfo(QFont(QStringLiteral("Arial"))).family().toStdString());
}

void Report(const char *where, const char *what)
{
    std::fprintf(stderr, "libSubtitles: %s: %s\n", where, what);
}

} // namespace

extern "C" {

SUBTITLES_API int ST_Init(int flag)
{
    try {
        g_session = std::make_unique<EditSession>();
        g_session->language = LoadProgramLanguage(LibraryFolder());
        return ST_OK;
    } catch (const std::exception &error) {
        Report("ST_Init", error.what());
    } catch (...) {
        Report("ST_Init", "unknown failure");
    }
    // Without the converter's language the dialog still works, in English.
    return ST_OK;
}

SUBTITLES_API int ST_GetSubtitleStyleDialog(int flag, void *style, void *window)
{
    if (flag != 0 || !style || !CanShowWindows())
        return ST_FAILED;
    try {
        // The caller passes its window's native id; anything else finds no window and the
        // dialog is shown on its own.
        QWidget *owner = window ? QWidget::find(reinterpret_cast<WId>(window)) : nullptr;
        if (g_session)
            g_session->owner = owner;
        const StyleFile file;
        const StyleSettings defaults = Defaults();
        StyleDialog dialog(CurrentTexts(), file, defaults, file.Load(defaults), owner);
        if (dialog.exec() != QDialog::Accepted)
            return ST_CANCELLED;
        StSubtitleStyle record{};
        if (!ToRecord(dialog.Settings(), record))
            return ST_FAILED;
        *static_cast<StSubtitleStyle *>(style) = record;
        return ST_OK;
    } catch (const std::exception &error) {
        Report("ST_GetSubtitleStyleDialog", error.what());
    } catch (...) {
        Report("ST_GetSubtitleStyleDialog", "unknown failure");
    }
    return ST_FAILED;
}

SUBTITLES_API int ST_SetIniSubtitleStyle(void *style)
{
    if (!style)
        return ST_FAILED;
    try {
        const auto settings = FromRecord(*static_cast<const StSubtitleStyle *>(style));
        if (!settings)
            return ST_FAILED;
        std::string error;
        if (StyleFile().Save(*settings, &error))
            return ST_OK;
        // The caller does not look at the result: the user hears of a style that was not kept
        // from here, instead of taking it for saved.
        if (CanShowWindows()) {
            const quillet::Texts &texts = CurrentTexts();
            std::string message = quillet::LookupKeyFormat(
                texts, quillet::CataloguedKey("SUBTITLE_STYLE_DLG", "strSaveFailedInfo"));
            if (auto at = message.find("%s"); at != std::string::npos)
                message.replace(at, 2, error);
            quillet::MessageBoxPrompter(
                g_session ? g_session->owner.data() : nullptr,
                quillet::UiText(texts,
                                quillet::CataloguedKey("SUBTITLE_STYLE_DLG", "strTitleInfo")))
                .Tell(message);
        } else {
            Report("ST_SetIniSubtitleStyle", error.c_str());
        }
    } catch (const std::exception &error) {
        Report("ST_SetIniSubtitleStyle", error.what());
    } catch (...) {
        Report("ST_SetIniSubtitleStyle", "unknown failure");
    }
    return ST_FAILED;
}

SUBTITLES_API int ST_Exit(void)
{
    g_session.reset();
    return ST_OK;
}

} // extern "C"
