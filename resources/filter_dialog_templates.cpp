// SPDX-License-Identifier: MIT
// The image filter and gray filter dialog: the property dialog (102
// Japanese, 108 English), the "Image Filter" page (103, 107) with its nine
// slider rows, automatic white balance and Bayer mode, and the "Gray Filter"
// page (113, 112) with its gains and offsets, filter mode, automatic gain and
// Bayer mode. The pages' texts are the same in both languages.
#include "resources/dialog_templates.h"

namespace quelix::resources {

namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using platform::kGroupStart;

// The Bayer-mode radio buttons 1030 to 1033 in a group box at (x, y).
void AddBayerMode(DialogTemplate& page, int x, int y)
{
    page.controls.push_back({-1, ControlKind::GroupBox, x, y, 70, 46, "Bayer Mode"});
    const char* names[] = {"0", "1", "2", "3"};
    for (int mode = 0; mode < 4; ++mode)
        page.controls.push_back({1030 + mode, ControlKind::RadioButton, x + 8 + (mode % 2) * 30,
                                 y + 13 + (mode / 2) * 14, 26, 10, names[mode],
                                 mode == 0 ? kGroupStart : 0u});
}

// "Once" 2074 and "All frames" 1035 in a group box at (x, y), side by side
// or one above the other.
void AddAutomatic(DialogTemplate& page, int x, int y, const char* caption, bool stacked)
{
    page.controls.push_back(
        {-1, ControlKind::GroupBox, x, y, stacked ? 70 : 140, stacked ? 46 : 44, caption});
    page.controls.push_back({2074, ControlKind::PushButton, x + 8, y + 12, 50, 14, "Once"});
    page.controls.push_back({1035, ControlKind::CheckBox, stacked ? x + 8 : x + 66, stacked ? y + 31 : y + 14,
                             66, 12, "All frames"});
}

DialogTemplate ImagePage(int id)
{
    DialogTemplate page{id, "", "MS Shell Dlg", 220, 196, {}};
    const struct {
        const char* label;
        int trackbar, edit, upDown;
    } rows[] = {
        {"&Brightness", 2001, 2002, 2004}, {"&Contrast", 2011, 2012, 2014},  {"&Hue", 2021, 2022, 2024},
        {"&Saturation", 2031, 2032, 2034}, {"Shar&pness", 2041, 2042, 2044}, {"&R Gain", 2051, 2052, 2054},
        {"&G Gain", 2061, 2062, 2063},     {"&B Gain", 2071, 2072, 2073},    {"&Gamma", 2081, 2082, 2084},
    };
    int y = 0;
    for (const auto& row : rows) {
        AddSliderRow(page, 0, y, row.label, -1, row.trackbar, row.edit, row.upDown);
        y += 16;
    }
    AddAutomatic(page, 0, 150, "Auto white balance", false);
    AddBayerMode(page, 148, 150);
    return page;
}

DialogTemplate GrayPage(int id)
{
    DialogTemplate page{id, "", "MS Shell Dlg", 220, 196, {}};
    const char* channels[] = {"Red", "Green1", "Green2", "Blue"};
    for (int group = 0; group < 2; ++group) {
        const int top = group * 72;
        page.controls.push_back({-1, ControlKind::GroupBox, 0, top, 220, 68, group == 0 ? "Gain" : "Offset"});
        for (int channel = 0; channel < 4; ++channel) {
            const int trackbar = 2100 + group * 12 + channel * 3;
            AddSliderRow(page, 8, top + 11 + channel * 14, channels[channel], -1, trackbar, trackbar + 1,
                         trackbar + 2);
        }
    }
    page.controls.push_back({-1, ControlKind::GroupBox, 0, 150, 74, 46, "Filter mode"});
    const char* modes[] = {"Bayer", "Bayer convert", "Grayscale"};
    for (int mode = 0; mode < 3; ++mode)
        page.controls.push_back({1046 + mode, ControlKind::RadioButton, 6, 160 + mode * 11, 66, 10,
                                 modes[mode], mode == 0 ? kGroupStart : 0u});
    AddAutomatic(page, 77, 150, "Auto Gain", true);
    AddBayerMode(page, 150, 150);
    return page;
}

}  // namespace

const std::vector<DialogTemplate>& FilterDialogTemplates()
{
    static const std::vector<DialogTemplate> templates{
        PropertyFrame(kFilterDialogJapanese, true, 262, 237),
        PropertyFrame(kFilterDialogEnglish, false, 262, 237),
        ImagePage(kImagePageJapanese),
        ImagePage(kImagePageEnglish),
        GrayPage(kGrayPageJapanese),
        GrayPage(kGrayPageEnglish),
    };
    return templates;
}

}  // namespace quelix::resources
