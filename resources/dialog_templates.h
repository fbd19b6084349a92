// The template tables of the library's dialogs (one file per dialog).
#pragma once

#include <vector>

#include "resources/dialog_resources.h"

namespace quelix::resources {

const std::vector<platform::DialogTemplate>& CameraDialogTemplates();

}  // namespace quelix::resources
