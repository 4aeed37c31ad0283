// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"

#include <filesystem>

class QWidget;

namespace subtitles_test {

/// Whether widget is the style library's dialog.
bool IsStyleDialog(QWidget *widget);

/// Chooses twice the standard size and yellow letters in the style dialog, as a user does (the
/// size box, the colour button and its colour dialog), and presses OK.
void ChooseLargeYellowText(QWidget *dialog);

/// For the length of a test: the converter's settings in dir/settings and the style file at
/// style_file, where the library and the engine look for them.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const quillet::test::TempDir &dir, const std::filesystem::path &style_file);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;
};

} // namespace subtitles_test
