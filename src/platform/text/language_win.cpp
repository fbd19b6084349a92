// SPDX-License-Identifier: MIT
#include <windows.h>

#include "platform/text/language.h"

namespace quelix::platform {

bool SystemLanguageIsJapanese()
{
    return GetSystemDefaultLangID() == 0x0411;  // ja-JP
}

}  // namespace quelix::platform
