/*
 * Types shared by QuelixSdk_205KWMX.h and QuelixPlatform.h.
 *
 * QUELIX_HWND is an opaque, pointer-sized window handle made by the library
 * (QuelixPlatform_CreateMessageWindow and friends). The short name HWND is
 * offered too, unless another header has defined it already or the
 * application defines QUELIX_NO_SHORT_TYPES.
 */
#ifndef QUELIX_TYPES_H
#define QUELIX_TYPES_H

#include <stdint.h>

#define QUELIX_API __attribute__((visibility("default")))

typedef struct HWND__* QUELIX_HWND;
typedef uint16_t QUELIX_WCHAR; /* one UTF-16 code unit */

#if !defined(QUELIX_NO_SHORT_TYPES) && !defined(_WINDEF_) && !defined(QUELIX_HWND_DEFINED)
#define QUELIX_HWND_DEFINED
typedef QUELIX_HWND HWND;
#endif

#endif /* QUELIX_TYPES_H */
