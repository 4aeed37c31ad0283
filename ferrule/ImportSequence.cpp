// SPDX-License-Identifier: GPL-3.0-or-later
#include "ImportSequence.h"

#include "ITunesBusyException.h"

namespace quillet::ferrule {

namespace {

/// Keeps the layer initialised for exactly as long as it lives.
class AutomationSession
{
public:
    explicit AutomationSession(AutomationLayer &layer)
        : m_layer(layer)
    {
        m_layer.Initialize();
    }
    ~AutomationSession() { m_layer.Uninitialize(); }
    AutomationSession(const AutomationSession &) = delete;
    AutomationSession &operator=(const AutomationSession &) = delete;

private:
    AutomationLayer &m_layer;
};

} // namespace

ImportResult ImportFile(AutomationLayer &layer, const std::string &path)
{
    // Declaration order is release order in reverse: the playlist goes before the application,
    // and the layer is uninitialised last, on the busy exception too.
    AutomationSession session(layer);
    std::unique_ptr<MediaApplication> application = layer.CreateApplication();
    if (!application)
        return {ImportOutcome::NoLibrary, {}, {}};

    PlaylistGrant grant = application->GetLibraryPlaylist();
    switch (grant.status) {
    case PlaylistStatus::Busy:
        throw ITunesBusyException();
    case PlaylistStatus::Failed:
        return {ImportOutcome::NotAdded, {}, grant.error};
    case PlaylistStatus::Granted:
        break;
    }
    if (!grant.playlist)
        return {ImportOutcome::NotAdded, {}, "the library gave no playlist"};

    AddResult added = grant.playlist->AddFile(path);
    if (!added.added)
        return {ImportOutcome::NotAdded, {}, added.error};
    return {ImportOutcome::Added, added.destination, {}};
}

} // namespace quillet::ferrule
