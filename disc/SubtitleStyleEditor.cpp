// SPDX-License-Identifier: GPL-3.0-or-later
#include "disc/SubtitleStyleEditor.h"

#include "platform/SharedLibrary.h"

#include <array>

namespace quillet {

namespace {
using InitFn = int (*)(int);
using DialogFn = int (*)(int, void *, void *);
using SetStyleFn = int (*)(void *);
using ExitFn = int (*)();
} // namespace

SubtitleStyleEditor::SubtitleStyleEditor(std::string program_folder, std::string library_name)
    : m_program_folder(std::move(program_folder))
    , m_library_name(std::move(library_name))
{ }

SubtitleStyleEditor::Result SubtitleStyleEditor::Edit(void *window) const
{
    platform::SharedLibrary library;
    if (!library.Load(m_library_name, m_program_folder))
        return Result::LibraryMissing;
    auto init = reinterpret_cast<InitFn>(library.Symbol("ST_Init"));
    auto dialog = reinterpret_cast<DialogFn>(library.Symbol("ST_GetSubtitleStyleDialog"));
    auto set_style = reinterpret_cast<SetStyleFn>(library.Symbol("ST_SetIniSubtitleStyle"));
    auto exit = reinterpret_cast<ExitFn>(library.Symbol("ST_Exit"));
    if (!init || !dialog || !set_style || !exit)
        return Result::LibraryMissing;

    std::array<unsigned char, kStyleRecordSize> style{};
    init(0);
    const bool accepted = dialog(0, style.data(), window) == 0;
    if (accepted)
        set_style(style.data());
    exit();
    return accepted ? Result::Saved : Result::Cancelled;
}

} // namespace quillet
