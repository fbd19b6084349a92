// SPDX-License-Identifier: MIT
// The dialog templates of the library, Japanese and English, by template id.
#pragma once

#include "platform/dialogs/dialog_template.h"

namespace quelix::resources {

// Camera settings dialog: the dialog and its "Analog Gain" page.
inline constexpr int kCameraDialogJapanese = 104;
inline constexpr int kCameraPageJapanese = 105;
inline constexpr int kCameraDialogEnglish = 111;
inline constexpr int kCameraPageEnglish = 110;

// Image filter and gray filter dialog: the dialog and its two pages.
inline constexpr int kFilterDialogJapanese = 102;
inline constexpr int kImagePageJapanese = 103;
inline constexpr int kGrayPageJapanese = 113;
inline constexpr int kFilterDialogEnglish = 108;
inline constexpr int kImagePageEnglish = 107;
inline constexpr int kGrayPageEnglish = 112;

// Stream format dialog.
inline constexpr int kStreamDialogJapanese = 101;
inline constexpr int kStreamDialogEnglish = 106;

// The template of this id; null when there is none.
const platform::DialogTemplate* FindDialogTemplate(int id);

}  // namespace quelix::resources
