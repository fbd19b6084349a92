// SPDX-License-Identifier: MIT
// The user's language as the dialogs choose their templates by it.
#pragma once

namespace quelix::platform {

// True when the locale that decides messages is Japanese: the first of
// LC_ALL, LC_MESSAGES and LANG that is set and not empty begins with "ja";
// on Windows, when GetSystemDefaultLangID() is 0x0411.
bool SystemLanguageIsJapanese();

}  // namespace quelix::platform
