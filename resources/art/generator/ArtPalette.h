// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DialogLook.h"

#include <QColor>

// One palette for every picture, built round the dialogs' background and the labels' blue, so
// the buttons, icons and banner look like they belong to the same window.
namespace quillet::art {

inline const QColor kDialogBackground{kDialogBackgroundRgb};
inline const QColor kLabelBlue{kLabelTextRgb};
inline const QColor kDeepBlue{58, 93, 158};
inline const QColor kSkyBlue{134, 170, 238};
inline const QColor kInk{47, 66, 104};

// Face of a dialog button at rest: near white at the top, the background's blue at the bottom.
inline const QColor kFaceTop{255, 255, 255};
inline const QColor kFaceUpperMid{240, 246, 255};
inline const QColor kFaceLowerMid{223, 235, 252};
inline const QColor kFaceBottom{205, 222, 247};
inline const QColor kFaceBorder{124, 152, 196};

inline const QColor kHoverTop{255, 255, 255};
inline const QColor kHoverUpperMid{236, 245, 255};
inline const QColor kHoverLowerMid{208, 229, 255};
inline const QColor kHoverBottom{184, 214, 255};
inline const QColor kHoverBorder{74, 121, 196};

inline const QColor kPressedTop{168, 196, 238};
inline const QColor kPressedMid{192, 214, 245};
inline const QColor kPressedBottom{221, 234, 252};
inline const QColor kPressedBorder{58, 93, 158};

// Background the leading pictures are smoothed against before the key colour replaces what is
// left: the middle tone of the button faces they sit on.
inline const QColor kLeadingMatte{228, 238, 252};
inline const QColor kKeyColour{255, 0, 255};

// Badge colours of the common file types, distinct but equally saturated.
inline const QColor kBadgeM4a{24, 150, 142};
inline const QColor kBadgeMov{122, 84, 196};
inline const QColor kBadgeMp3{226, 118, 32};
inline const QColor kBadgeMp4{44, 108, 206};
inline const QColor kBadgeWav{56, 150, 66};

inline const QColor kAudioGroupTop{250, 170, 70};
inline const QColor kAudioGroupBottom{222, 104, 28};
inline const QColor kVideoGroupTop{72, 196, 212};
inline const QColor kVideoGroupBottom{18, 116, 146};

inline const QColor kDeviceBody{60, 68, 82};
inline const QColor kDeviceBodyLight{104, 114, 132};
inline const QColor kScreenTop{120, 180, 246};
inline const QColor kScreenBottom{38, 92, 180};

} // namespace quillet::art
