#include "resources/dialog_resources.h"

#include "resources/dialog_templates.h"

namespace quelix::resources {

const platform::DialogTemplate* FindDialogTemplate(int id)
{
    for (const auto* table : {&CameraDialogTemplates()}) {
        for (const platform::DialogTemplate& dialog : *table) {
            if (dialog.id == id)
                return &dialog;
        }
    }
    return nullptr;
}

}  // namespace quelix::resources
