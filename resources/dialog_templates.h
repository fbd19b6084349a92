// SPDX-License-Identifier: MIT
// The template tables of the library's dialogs (one file per dialog).
#pragma once

#include <vector>

#include "resources/dialog_resources.h"

namespace quelix::resources {

const std::vector<platform::DialogTemplate>& CameraDialogTemplates();
const std::vector<platform::DialogTemplate>& FilterDialogTemplates();
const std::vector<platform::DialogTemplate>& StreamDialogTemplates();

// What the templates share: the property dialog of the settings dialogs (tab
// control 1001 over OK 1, Cancel 2 and Default 3) and the slider row of a
// page (a label, a trackbar, a number edit and its up-down), x from `left`.
platform::DialogTemplate PropertyFrame(int id, bool japanese, int height, int tabHeight);
void AddSliderRow(platform::DialogTemplate& page, int left, int y, const char* label, int labelId,
                  int trackbar, int edit, int upDown);

}  // namespace quelix::resources
