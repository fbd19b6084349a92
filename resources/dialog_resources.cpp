// SPDX-License-Identifier: MIT
#include "resources/dialog_resources.h"

#include "resources/dialog_templates.h"

namespace quelix::resources {

using platform::ControlKind;
using platform::DialogTemplate;

DialogTemplate PropertyFrame(int id, bool japanese, int height, int tabHeight)
{
    const int buttonsY = height - 17;
    return {id,
            japanese ? "プロパティ" : "Property",
            "MS Shell Dlg",
            294,
            height,
            {{1001, ControlKind::Tab, 4, 4, 286, tabHeight, ""},
             {1, ControlKind::PushButton, 165, buttonsY, 60, 13, "OK", platform::kDefaultButton},
             {2, ControlKind::PushButton, 230, buttonsY, 60, 13, japanese ? "キャンセル" : "Cancel"},
             {3, ControlKind::PushButton, 100, buttonsY, 60, 13, japanese ? "規定値(&D)" : "Default(&D)"}}};
}

void AddSliderRow(DialogTemplate& page, int left, int y, const char* label, int labelId, int trackbar,
                  int edit, int upDown)
{
    page.controls.push_back({labelId, ControlKind::Static, left, y + 3, 58 - left, 8, label});
    page.controls.push_back({trackbar, ControlKind::Trackbar, 60, y, 112, 14, ""});
    page.controls.push_back({edit, ControlKind::Edit, 174, y + 1, 34, 12, "", platform::kNumberOnly});
    page.controls.push_back({upDown, ControlKind::UpDown, 208, y + 1, 10, 12, "", 0, edit});
}

const platform::DialogTemplate* FindDialogTemplate(int id)
{
    for (const auto* table : {&CameraDialogTemplates(), &FilterDialogTemplates(), &StreamDialogTemplates()}) {
        for (const platform::DialogTemplate& dialog : *table) {
            if (dialog.id == id)
                return &dialog;
        }
    }
    return nullptr;
}

}  // namespace quelix::resources
