// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillet::ferrule {

/// Thrown by the import step when the library refuses to hand out its playlist because another
/// import holds it. It carries nothing: the path is known to whoever catches it.
class ITunesBusyException
{
};

} // namespace quillet::ferrule
