// SPDX-License-Identifier: MIT
// The stream format dialog (101 Japanese, 106 English): the colour format,
// the size presets with their values, the wait between frames and the clock,
// on one tab, with OK, Cancel and Apply.
#include "resources/dialog_templates.h"

namespace quelix::resources {

namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using platform::kDefaultButton;
using platform::kNumberOnly;
using platform::kReadOnly;

struct StreamTexts {
    const char* title;
    const char* cancel;
    const char* apply;
    const char* videoFormat;
    const char* color;
    const char* subSample;
    const char* cameraSize;
    const char* size;
    const char* values[6];  // H Total, V Total, H Effective, V Effective, H Start, V Start
    const char* frameRate;
    const char* waitTime;
    const char* clock;
    const char* note;
};

DialogTemplate StreamDialog(int id, const StreamTexts& t)
{
    DialogTemplate dialog{id, t.title, "MS Shell Dlg", 260, 262, {}};
    auto add = [&dialog](int controlId, ControlKind kind, int x, int y, int w, int h, const char* text,
                         uint32_t flags = 0) {
        dialog.controls.push_back({controlId, kind, x, y, w, h, text, flags});
    };
    add(1001, ControlKind::Tab, 4, 4, 252, 232, "");
    add(-1, ControlKind::GroupBox, 12, 24, 236, 48, t.videoFormat);
    add(-1, ControlKind::Static, 20, 38, 90, 8, t.color);
    add(1009, ControlKind::ComboBox, 112, 36, 128, 12, "");
    add(-1, ControlKind::Static, 20, 54, 90, 8, t.subSample);
    add(1012, ControlKind::ComboBox, 112, 52, 128, 12, "");
    add(-1, ControlKind::GroupBox, 12, 76, 236, 82, t.cameraSize);
    add(-1, ControlKind::Static, 20, 90, 90, 8, t.size);
    add(1010, ControlKind::ComboBox, 112, 88, 128, 12, "");
    for (int i = 0; i < 6; ++i) {
        const int x = i % 2 == 0 ? 20 : 132;
        const int y = 106 + (i / 2) * 16;
        add(-1, ControlKind::Static, x, y + 2, 56, 8, t.values[i]);
        add(1039 + i, ControlKind::Edit, x + 58, y, 44, 12, "", kNumberOnly | (i < 2 ? kReadOnly : 0u));
    }
    add(-1, ControlKind::GroupBox, 12, 162, 236, 68, t.frameRate);
    add(-1, ControlKind::Static, 20, 176, 90, 8, t.waitTime);
    add(1045, ControlKind::Edit, 112, 174, 40, 12, "", kNumberOnly);
    add(-1, ControlKind::Static, 20, 192, 90, 8, t.clock);
    add(1014, ControlKind::ComboBox, 112, 190, 128, 12, "");
    add(-1, ControlKind::Static, 20, 206, 220, 16, t.note);
    add(1003, ControlKind::Static, 4, 246, 84, 8, "");
    add(1, ControlKind::PushButton, 92, 242, 50, 14, "OK", kDefaultButton);
    add(2, ControlKind::PushButton, 148, 242, 50, 14, t.cancel);
    add(1002, ControlKind::PushButton, 204, 242, 52, 14, t.apply);
    return dialog;
}

}  // namespace

const std::vector<DialogTemplate>& StreamDialogTemplates()
{
    static const std::vector<DialogTemplate> templates{
        StreamDialog(kStreamDialogJapanese, {"プロパティ",
                                             "キャンセル",
                                             "適用(&A)",
                                             "ビデオ形式",
                                             "色空間 / 圧縮(&C):",
                                             "間引き転送モード(&B):",
                                             "カスタムサイズ",
                                             "出力サイズ(&S):",
                                             {"総水平画素", "総垂直画素", "有効水平画素", "有効垂直画素",
                                              "有効水平起点", "有効垂直起点"},
                                             "フレームレート",
                                             "フレーム間待ち時間(&T):",
                                             "動作クロック(&C):",
                                             "※WORD転送モードの際は動作クロックをハーフに設定してください"}),
        StreamDialog(kStreamDialogEnglish,
                     {"Property",
                      "Cancel",
                      "Apply(&A)",
                      "Video Format",
                      "Color / Compression(&C):",
                      "Sub Sample(&B):",
                      "Camera Size",
                      "Size(&S):",
                      {"H Total", "V Total", "H Effective", "V Effective", "H Start", "V Start"},
                      "Frame Rate",
                      "Wait Time(&T):",
                      "Clock(&C):",
                      "* In the WORD forwarding mode, please set the clock to the half."}),
    };
    return templates;
}

}  // namespace quelix::resources
