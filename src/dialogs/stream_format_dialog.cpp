// SPDX-License-Identifier: MIT
#include "dialogs/stream_format_dialog.h"

#include <cstdio>
#include <string>

#include "dialogs/registry_layout.h"
#include "platform/registry/registry.h"
#include "platform/text/language.h"
#include "resources/dialog_resources.h"

namespace quelix {

namespace {

using platform::DialogEvent;
using platform::DialogMessage;
using platform::DialogPane;
using platform::RegistryKey;

constexpr int kTab = 1001;
constexpr int kFirstValueEdit = 1039;  // 1039 to 1044: TH, TV, EH, EV, EHS, EVS
constexpr int kWaitTime = 1045;
constexpr int kShownValues = 6;  // "Buf" has no edit

std::string CameraKey(int cameraIndex)
{
    return std::string(kSdkRegistryKey) + "\\" + NumberedKey("Camera", cameraIndex);
}

std::string SizeText(const SizePreset& preset)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d x %d", preset[2], preset[3]);
    return text;
}

}  // namespace

void LoadStreamSettings(StreamDialogState& state)
{
    const auto camera = RegistryKey::Open(CameraKey(state.cameraIndex));
    if (!camera)
        return;
    state.presetCount = 0;
    for (int i = 0; i < kPresetTableSize; ++i) {
        const auto size = camera->OpenSubKey(NumberedKey("Size", i));
        if (!size)
            break;
        for (size_t v = 0; v < state.presets[i].size(); ++v) {
            if (const auto value = size->ReadDword(kSizeValueNames[v]))
                state.presets[i][v] = static_cast<int32_t>(*value);
        }
        state.presetCount = i + 1;
    }
    const std::pair<const char*, int32_t*> values[] = {{"Size", &state.sizeIndex},
                                                       {"Color", &state.colorMode},
                                                       {"SubSample", &state.subSample},
                                                       {"WaitTime", &state.waitTime},
                                                       {"Clock", &state.clock}};
    for (const auto& [name, field] : values) {
        if (const auto value = camera->ReadDword(name))
            *field = static_cast<int32_t>(*value);
    }
}

void SaveStreamSettings(const StreamDialogState& state)
{
    const auto camera = RegistryKey::Create(CameraKey(state.cameraIndex));
    if (!camera)
        return;
    for (int i = 0; i < state.presetCount; ++i) {
        const auto size = camera->CreateSubKey(NumberedKey("Size", i));
        if (!size)
            break;
        std::array<platform::RegistryValue, 7> values{};
        for (size_t v = 0; v < values.size(); ++v)
            values[v] = {kSizeValueNames[v], static_cast<uint32_t>(state.presets[i][v])};
        if (!size->WriteDwords(values))
            break;
    }
    camera->WriteDwords({{"Size", static_cast<uint32_t>(state.sizeIndex)},
                         {"Color", static_cast<uint32_t>(state.colorMode)},
                         {"SubSample", 0},
                         {"WaitTime", static_cast<uint32_t>(state.waitTime)},
                         {"Clock", 0}});
}

void CStreamFormatDlg::ShowPreset(DialogPane dialog, int index)
{
    // The custom entry of a full table has no preset behind it: the defaults show.
    const SizePreset& preset = index < kPresetTableSize ? state_.presets[index] : kDefaultSizePreset;
    for (int v = 0; v < kShownValues; ++v)
        dialog.SetInt(kFirstValueEdit + v, preset[v], false);
}

void CStreamFormatDlg::Init(DialogPane dialog)
{
    initialised_ = false;
    LoadStreamSettings(state_);
    // A stored size beyond the presets (or the table) is the custom entry.
    if (state_.sizeIndex < 0 || state_.sizeIndex > state_.presetCount)
        state_.sizeIndex = state_.presetCount;
    dialog.InsertItem(kTab, 0, japanese_ ? "ストリーム形式" : "Stream Format");
    dialog.SetSelection(kTab, 0);
    char monochrome14[64];
    std::snprintf(monochrome14, sizeof monochrome14, japanese_ ? "白黒 %dbit ※" : "Monochrome %dbit *", 14);
    const char* colors[] = {
        japanese_ ? "白黒 8bit" : "Monochrome 8bit",    monochrome14,
        japanese_ ? "カラー 24bit" : "Color 24bit",     japanese_ ? "カラー 32bit" : "Color 32bit",
        japanese_ ? "カラー 48bit ※" : "Color 48bit *", japanese_ ? "カラー 64bit ※" : "Color 64bit *"};
    for (const char* color : colors)
        dialog.InsertItem(kColor, -1, color);
    dialog.SetSelection(kColor, state_.colorMode);
    dialog.InsertItem(kSubSample, -1, "1/1");
    dialog.SetSelection(kSubSample, 0);
    dialog.InsertItem(kClock, -1, japanese_ ? "標準(10MHz)" : "Nomal(10MHz)");
    dialog.SetSelection(kClock, 0);
    dialog.Enable(kClock, false);
    for (int i = 0; i < state_.presetCount; ++i)
        dialog.InsertItem(kSize, -1, SizeText(state_.presets[i]));
    dialog.InsertItem(kSize, -1, japanese_ ? "カスタム" : "Custom");
    dialog.SetSelection(kSize, state_.sizeIndex);
    ShowPreset(dialog, state_.sizeIndex);
    dialog.SetInt(kWaitTime, state_.waitTime, false);
    dialog.Enable(kApply, false);
    dialog.Enable(kSubSample, false);
    dialog.SetFocus(kSize);
    initialised_ = true;
}

bool CStreamFormatDlg::TakeValues(DialogPane dialog)
{
    const bool custom = dialog.Selection(kSize) == state_.presetCount;
    if (custom && state_.presetCount == kPresetTableSize) {
        dialog.SetText(kNotice, japanese_ ? "サイズは100個までです" : "No room: 100 sizes stored");
        return false;
    }
    // A combo box without a selection, or an edit without a number, keeps its value.
    const std::pair<int, int32_t*> combos[] = {{kColor, &state_.colorMode},
                                               {kSize, &state_.sizeIndex},
                                               {kSubSample, &state_.subSample},
                                               {kClock, &state_.clock}};
    for (const auto& [id, field] : combos) {
        if (const int selection = dialog.Selection(id); selection >= 0)
            *field = selection;
    }
    bool ok = false;
    if (const int32_t wait = dialog.Int(kWaitTime, &ok, false); ok)
        state_.waitTime = wait;
    const int index = state_.sizeIndex;
    SizePreset& preset = state_.presets[index];
    if (custom)
        preset = kDefaultSizePreset;
    for (int v = 0; v < kShownValues; ++v) {
        if (const int32_t value = dialog.Int(kFirstValueEdit + v, &ok, false); ok)
            preset[v] = value;
    }
    initialised_ = false;
    if (custom) {
        ++state_.presetCount;
    } else {
        dialog.DeleteItem(kSize, index);
    }
    dialog.InsertItem(kSize, index, SizeText(preset));
    dialog.SetSelection(kSize, index);
    dialog.Enable(kApply, false);
    dialog.SetText(kNotice, "");
    initialised_ = true;
    return true;
}

void CStreamFormatDlg::Procedure(DialogPane dialog, const DialogMessage& message)
{
    if (message.event == DialogEvent::Init) {
        Init(dialog);
        return;
    }
    if (message.event != DialogEvent::Command)
        return;
    if (message.code == platform::kSelectionChange || message.code == platform::kEditChange) {
        if (!initialised_)
            return;
        if (message.code == platform::kSelectionChange && message.id == kSize) {
            state_.sizeIndex = dialog.Selection(kSize);
            if (state_.sizeIndex < state_.presetCount)
                ShowPreset(dialog, state_.sizeIndex);
        }
        dialog.Enable(kApply, true);
        return;
    }
    if (message.code != platform::kClicked)
        return;
    if (message.id == platform::kIdOk || message.id == kApply) {
        if (!TakeValues(dialog))
            return;
        SaveStreamSettings(state_);
        if (message.id == platform::kIdOk)
            dialog.Box().EndDialog(platform::kIdOk);
    } else if (message.id == platform::kIdCancel) {
        dialog.Box().EndDialog(platform::kIdCancel);
    }
}

int CStreamFormatDlg::DoModal(platform::Hwnd parent)
{
    japanese_ = platform::SystemLanguageIsJapanese();
    const platform::DialogTemplate* frame = resources::FindDialogTemplate(
        japanese_ ? resources::kStreamDialogJapanese : resources::kStreamDialogEnglish);
    if (frame == nullptr)
        return -1;
    platform::DialogBox box(
        *frame, parent, [this](DialogPane pane, const DialogMessage& message) { Procedure(pane, message); });
    return box.Run();
}

}  // namespace quelix
