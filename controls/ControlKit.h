// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The control kit: the self-drawn widgets every window of the program is built from.
//
// The windows create these widgets, place them with DialogUnits (template positions in the
// dialog font) and give them their pictures by number through SkinResources, which serves the
// program's artwork (resources/art, linked in as quillet_resources). Nothing here knows about
// conversions, profiles or tasks: windows feed the controls texts, colours and positions, and
// the controls report back only through Qt signals (clicked, paneHovered, paneClicked,
// openFailed ...). All of it runs on the user-interface thread.
//
//   CSkinButton        bitmap-skinned push / check / radio button (mask-shaped)
//   CColorButton       flat button showing a colour
//   CGradientProgress  progress bar with a gradient and a two-colour caption
//   CLinkLabel         label that opens an address or file when clicked
//   CSkinTabCtrl       tab strip painted in shades of one colour
//   CIconListBox       list with icons, disabled rows and mouse-following current row
//   CFolderPicker      folder chooser with validation
//   DialogUnits        dialog-unit to pixel conversion in the dialog font
//   DialogLook         the dialogs' font, background and label colour (target quillet_look)
//   DialogButton       a captioned dialog button in that look
//   SkinResources      numbered bitmaps and icons

#include "CColorButton.h"
#include "CFolderPicker.h"
#include "CGradientProgress.h"
#include "CIconListBox.h"
#include "CLinkLabel.h"
#include "CSkinButton.h"
#include "CSkinTabCtrl.h"
#include "ColorRef.h"
#include "DialogButton.h"
#include "DialogLook.h"
#include "DialogUnits.h"
#include "ImageList.h"
#include "LinkOpener.h"
#include "SkinImageSet.h"
#include "SkinResources.h"
