// SPDX-License-Identifier: MIT
#include "platform/text/language.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace quelix::platform {

bool SystemLanguageIsJapanese()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0')
            return std::strncmp(value, "ja", 2) == 0;
    }
    return false;
}

}  // namespace quelix::platform
