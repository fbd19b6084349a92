// SPDX-License-Identifier: MIT
/**
 * @file QuelixTypes.h
 * @brief Types shared by QuelixSdk_205KWMX.h and QuelixPlatform.h.
 *
 * The short name HWND is offered for QUELIX_HWND too, unless another header
 * has defined it already or the application defines QUELIX_NO_SHORT_TYPES.
 */
#ifndef QUELIX_TYPES_H
#define QUELIX_TYPES_H

#include <stdint.h>

/** Marks the functions the library exports. On Windows the DLL's export
 * table comes from its module-definition file (fixed ordinals); callers see
 * the functions as imported from the DLL. */
#if defined(_WIN32)
#define QUELIX_API __declspec(dllimport)
#if defined(QUELIX_BUILDING_SDK)
#undef QUELIX_API
#define QUELIX_API
#endif
#else
#define QUELIX_API __attribute__((visibility("default")))
#endif

/**
 * @ingroup platform
 * @brief An opaque, pointer-sized window handle made by the library.
 *
 * Made by QuelixPlatform_CreateMessageWindow, QuelixPlatform_CreateWindow and
 * QuelixPlatform_WrapX11Window. Every use validates it: a stale or foreign
 * handle is refused, never dereferenced.
 */
typedef struct HWND__* QUELIX_HWND;
/** @ingroup platform
 * @brief One UTF-16 code unit of the wide-text functions: wchar_t on
 * Windows, where it is 16 bits wide, uint16_t elsewhere. */
#if defined(_WIN32)
typedef wchar_t QUELIX_WCHAR;
#else
typedef uint16_t QUELIX_WCHAR;
#endif

#if !defined(QUELIX_NO_SHORT_TYPES) && !defined(_WINDEF_) && !defined(QUELIX_HWND_DEFINED)
/** Defined once HWND is. */
#define QUELIX_HWND_DEFINED
/** @ingroup platform
 * @brief The short name of QUELIX_HWND. */
typedef QUELIX_HWND HWND;
#endif

#endif /* QUELIX_TYPES_H */
