// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/Task.h"

namespace quillet {

void StreamArray::Reset()
{
    if (m_streams)
        FreeStreamInfo(m_streams);
    m_streams = nullptr;
    m_never_probed = false;
}

StreamInfo **StreamArray::Receive()
{
    Reset();
    return &m_streams;
}

int Task::StreamCount() const
{
    return streams.Get() ? context.stream_count : 0;
}

int Task::AudioStreamIndex(int n) const
{
    const StreamInfo *s = streams.Get();
    if (!s || n < 0)
        return -1;
    for (int i = 0; i < context.stream_count; ++i) {
        if (s[i].kind == DOLMAR_KIND_AUDIO && n-- == 0)
            return i;
    }
    return -1;
}

} // namespace quillet
