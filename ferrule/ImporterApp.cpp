// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImporterApp.h"

#include "CommandTail.h"
#include "ITunesBusyException.h"
#include "ImportSequence.h"

#include <cstdio>

namespace quillet::ferrule {

namespace {

bool CanOpenForReading(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

} // namespace

ImporterApp::ImporterApp(LayerFactory make_layer, Messages &messages)
    : m_make_layer(std::move(make_layer))
    , m_messages(messages)
{ }

ExitStatus ImporterApp::Start(const std::string &tail)
{
    if (tail.empty())
        return ExitStatus::Done;
    const std::string path = RemoveQuoting(tail);
    if (!CanOpenForReading(path)) {
        m_messages.Warn("Cannot open file " + path);
        return ExitStatus::CannotOpen;
    }

    const std::unique_ptr<AutomationLayer> layer = m_make_layer(path);
    ImportResult result;
    try {
        result = ImportFile(*layer, path);
    } catch (const ITunesBusyException &) {
        // Reported after ImportFile has released everything, so a message box left open does
        // not keep the library locked against the next import.
        m_messages.Warn("The media library is busy; " + path + " was not added.");
        return ExitStatus::LibraryBusy;
    }

    switch (result.outcome) {
    case ImportOutcome::Added:
        return ExitStatus::Done;
    case ImportOutcome::NoLibrary:
        m_messages.Warn(kNoLibraryText);
        return ExitStatus::NoLibrary;
    case ImportOutcome::NotAdded:
        break;
    }
    // Saying nothing here would leave the user believing the file is in the library.
    m_messages.Warn("Cannot add " + path + " to the media library: " + result.error);
    return ExitStatus::NotAdded;
}

} // namespace quillet::ferrule
