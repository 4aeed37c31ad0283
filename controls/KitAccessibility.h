// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet {

/// Teaches the accessibility layer (screen readers, AT-SPI) what the kit's self-painted
/// controls are: a skin button reports the role of its kind (push, check box, radio) and, without
/// a caption, its tooltip as its name; a link label is a link named by its tooltip; the gradient
/// progress bar reports its percentage as its value and its caption (the window's status line)
/// as its name. Every window's fields are named by their labels as the window is shown
/// (NameFieldsByTheirLabels). Safe to call any number of times; the kit's constructors call it.
void InstallKitAccessibility();

} // namespace quillet
