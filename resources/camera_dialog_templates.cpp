// SPDX-License-Identifier: MIT
// The camera settings dialog: the property dialog with its tab control and
// buttons (104 Japanese, 111 English) and the "Analog Gain" page (105
// Japanese, 110 English). The Japanese page has the Peltier row (hidden when
// shown) and the temperature text; the English page has the gain rows.
#include "resources/dialog_templates.h"

namespace quelix::resources {

namespace {

using platform::ControlKind;
using platform::DialogTemplate;
using platform::kAlignRight;

DialogTemplate JapanesePage()
{
    DialogTemplate page{kCameraPageJapanese, "", "MS Shell Dlg", 251, 150, {}};
    AddSliderRow(page, 0, 8, "露光時間(&E)", -1, 1026, 1027, 1043);
    page.controls.push_back({1049, ControlKind::Static, 130, 25, 88, 8, "= msec", kAlignRight});
    page.controls.push_back({-1, ControlKind::GroupBox, 0, 42, 100, 42, "ミラー"});
    page.controls.push_back({1028, ControlKind::CheckBox, 10, 55, 80, 10, "Mirror V"});
    page.controls.push_back({1029, ControlKind::CheckBox, 10, 69, 80, 10, "Mirror H"});
    page.controls.push_back({-1, ControlKind::GroupBox, 110, 42, 108, 42, "Auto Iris"});
    page.controls.push_back({1037, ControlKind::CheckBox, 120, 55, 80, 10, "Exposure"});
    page.controls.push_back({1050, ControlKind::Static, 0, 96, 218, 8, "Temp"});
    AddSliderRow(page, 0, 116, "Peltier", 1051, 1030, 1031, 1044);
    return page;
}

DialogTemplate EnglishPage()
{
    DialogTemplate page{kCameraPageEnglish, "", "MS Shell Dlg", 238, 126, {}};
    AddSliderRow(page, 0, 0, "&Global Gain", -1, 1013, 1015, 1038);
    AddSliderRow(page, 0, 15, "&Color Gain G1", -1, 1018, 1019, 1039);
    AddSliderRow(page, 0, 30, "&Color Gain R", -1, 1020, 1021, 1040);
    AddSliderRow(page, 0, 45, "&Color Gain B", -1, 1022, 1023, 1041);
    AddSliderRow(page, 0, 60, "&Color Gain G2", -1, 1024, 1025, 1042);
    AddSliderRow(page, 0, 78, "&Exposure", -1, 1026, 1027, 1043);
    page.controls.push_back({1049, ControlKind::Static, 130, 93, 88, 8, "= msec", kAlignRight});
    page.controls.push_back({1028, ControlKind::CheckBox, 0, 100, 54, 10, "Mirror V"});
    page.controls.push_back({1029, ControlKind::CheckBox, 0, 114, 54, 10, "Mirror H"});
    page.controls.push_back({-1, ControlKind::GroupBox, 80, 100, 138, 26, "Auto Iris"});
    page.controls.push_back({1037, ControlKind::CheckBox, 90, 112, 56, 10, "Exposure"});
    page.controls.push_back({1036, ControlKind::CheckBox, 152, 112, 56, 10, "Gain"});
    return page;
}

}  // namespace

const std::vector<DialogTemplate>& CameraDialogTemplates()
{
    static const std::vector<DialogTemplate> templates{
        PropertyFrame(kCameraDialogJapanese, true, 199, 174),
        JapanesePage(),
        PropertyFrame(kCameraDialogEnglish, false, 178, 149),
        EnglishPage(),
    };
    return templates;
}

}  // namespace quelix::resources
