// SPDX-License-Identifier: MIT
// The automation side of the dialogs: the hook and the QuelixPlatform_Dialog*
// calls of QuelixPlatform.h. Nothing is thrown across the C interface.
#include <cstring>
#include <mutex>
#include <string>

#include "platform/dialogs/dialog_box.h"
#include "platform/dialogs/dialog_view_finder.h"
#include "platform/windowing/opaque_handles.h"

namespace quelix::platform {

namespace {

std::mutex hookLock;  // guards installedHook
DialogHookEntry installedHook;

struct DialogEntry {
    DialogBox* dialog;
};

OpaqueHandleTable<DialogEntry>& Dialogs()
{
    static OpaqueHandleTable<DialogEntry> table(0xD1A0000);
    return table;
}

}  // namespace

DialogHookEntry CurrentDialogHook()
{
    std::lock_guard lock(hookLock);
    return installedHook;
}

QUELIX_DIALOG RegisterDialog(DialogBox* dialog)
{
    return reinterpret_cast<QUELIX_DIALOG>(Dialogs().Add(std::make_shared<DialogEntry>(DialogEntry{dialog})));
}

void UnregisterDialog(QUELIX_DIALOG handle)
{
    auto& table = Dialogs();
    std::lock_guard lock(table.mutex);
    table.objects.erase(reinterpret_cast<uintptr_t>(handle));
}

DialogBox* FindDialog(QUELIX_DIALOG handle)
{
    const auto entry = Dialogs().Find(reinterpret_cast<uintptr_t>(handle));
    return entry != nullptr && entry->dialog->OnThread() && !entry->dialog->Ended() ? entry->dialog : nullptr;
}

}  // namespace quelix::platform

using namespace quelix::platform;

namespace {

// Runs `action` with the control the id names; `failure` when the dialog or
// the control is unknown (or the call is on another thread).
template <class Action>
int WithControl(QUELIX_DIALOG handle, int id, int failure, Action&& action) noexcept
{
    try {
        DialogBox* dialog = FindDialog(handle);
        if (dialog == nullptr)
            return failure;
        const auto address = dialog->Locate(id);
        if (!address)
            return failure;
        return action(*dialog, *address, dialog->Control(*address));
    } catch (...) {
        return failure;
    }
}

int CopyText(const std::string& text, char* buffer, int size)
{
    if (buffer != nullptr && size > 0) {
        const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
        std::memcpy(buffer, text.data(), length);
        buffer[length] = '\0';
    }
    return static_cast<int>(std::min<size_t>(text.size(), INT32_MAX));
}

bool HasRange(const ControlState& control)
{
    return control.control.kind == ControlKind::Trackbar || control.control.kind == ControlKind::UpDown;
}

bool HasItems(const ControlState& control)
{
    return control.control.kind == ControlKind::ComboBox || control.control.kind == ControlKind::Tab;
}

// The text a control shows: a combo box shows its selected entry.
std::string DisplayedText(const ControlState& control)
{
    if (HasItems(control))
        return control.selection >= 0 ? control.items[control.selection] : std::string();
    return control.text;
}

}  // namespace

extern "C" {

void QuelixPlatform_SetDialogHook(QUELIX_DIALOG_HOOK hook, void* context)
{
    std::lock_guard lock(hookLock);
    installedHook = {hook, hook != nullptr ? context : nullptr};
}

int QuelixPlatform_DialogGetText(QUELIX_DIALOG dialog, int id, char* text, int size)
{
    return WithControl(dialog, id, -1, [&](DialogBox&, DialogBox::Address, const ControlState& control) {
        return CopyText(DisplayedText(control), text, size);
    });
}

int QuelixPlatform_DialogSetText(QUELIX_DIALOG dialog, int id, const char* text)
{
    if (text == nullptr)
        return 0;
    return WithControl(
        dialog, id, 0, [&](DialogBox& box, DialogBox::Address at, const ControlState& control) {
            if (control.control.kind != ControlKind::Edit || (control.control.flags & kReadOnly) != 0 ||
                !control.enabled || !control.visible)
                return 0;
            box.UserEdit(at.pane, at.index, text);
            return 1;
        });
}

int QuelixPlatform_DialogGetPosition(QUELIX_DIALOG dialog, int id, int* position)
{
    return WithControl(dialog, id, 0, [&](DialogBox&, DialogBox::Address, const ControlState& control) {
        if (!HasRange(control))
            return 0;
        if (position != nullptr)
            *position = control.position;
        return 1;
    });
}

int QuelixPlatform_DialogGetRange(QUELIX_DIALOG dialog, int id, int* minimum, int* maximum)
{
    return WithControl(dialog, id, 0, [&](DialogBox&, DialogBox::Address, const ControlState& control) {
        if (!HasRange(control))
            return 0;
        if (minimum != nullptr)
            *minimum = control.minimum;
        if (maximum != nullptr)
            *maximum = control.maximum;
        return 1;
    });
}

int QuelixPlatform_DialogSetPosition(QUELIX_DIALOG dialog, int id, int position)
{
    return WithControl(dialog, id, 0,
                       [&](DialogBox& box, DialogBox::Address at, const ControlState& control) {
                           if (!HasRange(control) || !control.enabled || !control.visible)
                               return 0;
                           if (control.control.kind == ControlKind::Trackbar)
                               box.UserScroll(at.pane, at.index, position);
                           else
                               box.UserSpin(at.pane, at.index, position);
                           return 1;
                       });
}

int QuelixPlatform_DialogIsChecked(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, -1, [](DialogBox&, DialogBox::Address, const ControlState& control) {
        return control.checked ? 1 : 0;
    });
}

int QuelixPlatform_DialogClick(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, 0,
                       [&](DialogBox& box, DialogBox::Address at, const ControlState& control) {
                           const ControlKind kind = control.control.kind;
                           if ((kind != ControlKind::PushButton && kind != ControlKind::CheckBox &&
                                kind != ControlKind::RadioButton) ||
                               !control.enabled || !control.visible)
                               return 0;
                           box.UserClick(at.pane, at.index);
                           return 1;
                       });
}

int QuelixPlatform_DialogGetItemCount(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, -1, [](DialogBox&, DialogBox::Address, const ControlState& control) {
        return HasItems(control) ? static_cast<int>(control.items.size()) : -1;
    });
}

int QuelixPlatform_DialogGetItemText(QUELIX_DIALOG dialog, int id, int item, char* text, int size)
{
    return WithControl(dialog, id, -1, [&](DialogBox&, DialogBox::Address, const ControlState& control) {
        if (!HasItems(control) || item < 0 || item >= static_cast<int>(control.items.size()))
            return -1;
        return CopyText(control.items[item], text, size);
    });
}

int QuelixPlatform_DialogGetSelection(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, -1, [](DialogBox&, DialogBox::Address, const ControlState& control) {
        return HasItems(control) ? control.selection : -1;
    });
}

int QuelixPlatform_DialogSelect(QUELIX_DIALOG dialog, int id, int item)
{
    return WithControl(dialog, id, 0,
                       [&](DialogBox& box, DialogBox::Address at, const ControlState& control) {
                           if (!HasItems(control) || !control.enabled || !control.visible || item < 0 ||
                               item >= static_cast<int>(control.items.size()))
                               return 0;
                           box.UserSelect(at.pane, at.index, item);
                           return 1;
                       });
}

int QuelixPlatform_DialogIsEnabled(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, -1, [](DialogBox&, DialogBox::Address, const ControlState& control) {
        return control.enabled ? 1 : 0;
    });
}

int QuelixPlatform_DialogIsVisible(QUELIX_DIALOG dialog, int id)
{
    return WithControl(dialog, id, -1,
                       [](DialogBox& box, DialogBox::Address at, const ControlState& control) {
                           return control.visible && box.Pane(at.pane).visible ? 1 : 0;
                       });
}

int QuelixPlatform_DialogFireTimer(QUELIX_DIALOG handle, int timerId)
{
    try {
        DialogBox* dialog = FindDialog(handle);
        return dialog != nullptr && dialog->FireTimer(timerId) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int QuelixPlatform_DialogPump(QUELIX_DIALOG handle, int timeoutMs)
{
    try {
        DialogBox* dialog = FindDialog(handle);
        return dialog != nullptr && dialog->Pump(timeoutMs) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

}  // extern "C"
