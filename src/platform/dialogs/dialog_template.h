// SPDX-License-Identifier: MIT
// Dialog templates: what a dialog is made of, as plain data. A template has
// a size in dialog units, a title and its controls; each control has an id,
// a kind, a rectangle in dialog units and a text. Dialog units scale with
// the dialog's font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its height.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelix::platform {

enum class ControlKind {
    Static,    // a label
    GroupBox,  // a frame with a caption around other controls
    PushButton,
    CheckBox,     // toggles itself when clicked
    RadioButton,  // checks itself and unchecks the others of its group when clicked
    Edit,
    UpDown,  // spin arrows that step the number in their buddy edit
    Trackbar,
    ComboBox,  // a drop-down list to choose from
    Tab,
};

// Control style flags.
inline constexpr uint32_t kDefaultButton = 1u << 0;  // the button Return presses
inline constexpr uint32_t kGroupStart = 1u << 1;     // a radio button that starts a new group
inline constexpr uint32_t kNumberOnly = 1u << 2;     // an edit for a number
inline constexpr uint32_t kReadOnly = 1u << 3;       // an edit the user cannot change
inline constexpr uint32_t kStartsHidden = 1u << 4;
inline constexpr uint32_t kStartsDisabled = 1u << 5;
inline constexpr uint32_t kAlignRight = 1u << 6;  // a label set against its right edge

struct ControlTemplate {
    int id = 0;  // 0 (or -1) for labels nobody addresses
    ControlKind kind = ControlKind::Static;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;  // UTF-8; '&' marks the mnemonic, "&&" is a literal '&'
    uint32_t flags = 0;
    int buddy = 0;  // an up-down's edit
};

struct DialogTemplate {
    int id = 0;
    std::string title;
    std::string font;  // the face the template was laid out for
    int width = 0;     // dialog units
    int height = 0;
    std::vector<ControlTemplate> controls;
};

}  // namespace quelix::platform
