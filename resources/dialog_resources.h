// The dialog templates of the library, Japanese and English, by template id.
#pragma once

#include "platform/dialog_template.h"

namespace quelix::resources {

// Camera settings dialog: the dialog and its "Analog Gain" page.
inline constexpr int kCameraDialogJapanese = 104;
inline constexpr int kCameraPageJapanese = 105;
inline constexpr int kCameraDialogEnglish = 111;
inline constexpr int kCameraPageEnglish = 110;

// The template of this id; null when there is none.
const platform::DialogTemplate* FindDialogTemplate(int id);

}  // namespace quelix::resources
