// SPDX-License-Identifier: MIT
#include "dialogs/image_filter_dialog.h"

#include <span>

#include "platform/text/language.h"
#include "resources/dialog_resources.h"

namespace quelix {

namespace {

using platform::DialogEvent;
using platform::DialogMessage;
using platform::DialogPane;

constexpr int kImagePage = 0;
constexpr int kGrayPage = 1;

constexpr int kFirstBayerRadio = 1030;  // 1030 to 1033: Bayer mode 0 to 3
constexpr int kFirstGrayRadio = 1046;   // 1046 to 1048: gray mode 0 to 2

enum class Enable { BrightnessContrast, HueSaturation, Sharpness, Gains, Gamma, Always };

struct SliderRow {
    FilterSlot slot;
    int trackbar;
    int edit;
    int spin;
    int minimum;
    int maximum;
    int pageSize;
    Enable enable;
};

constexpr SliderRow kImageRows[] = {
    {FilterSlot::brightness, 2001, 2002, 2004, -255, 255, 64, Enable::BrightnessContrast},
    {FilterSlot::contrast, 2011, 2012, 2014, -127, 127, 32, Enable::BrightnessContrast},
    {FilterSlot::hue, 2021, 2022, 2024, -360, 360, 90, Enable::HueSaturation},
    {FilterSlot::saturation, 2031, 2032, 2034, -255, 255, 64, Enable::HueSaturation},
    {FilterSlot::sharpness, 2041, 2042, 2044, 0, 30, 4, Enable::Sharpness},
    {FilterSlot::bayerGainRed, 2051, 2052, 2054, 0, 400, 32, Enable::Gains},
    {FilterSlot::bayerGainGreen, 2061, 2062, 2063, 0, 400, 32, Enable::Gains},
    {FilterSlot::bayerGainBlue, 2071, 2072, 2073, 0, 400, 32, Enable::Gains},
    {FilterSlot::gamma, 2081, 2082, 2084, 0, 200, 32, Enable::Gamma},
};

constexpr SliderRow kGrayRows[] = {
    {FilterSlot::grayGainR, 2100, 2101, 2102, 0, 400, 32, Enable::Always},
    {FilterSlot::grayGainG1, 2103, 2104, 2105, 0, 400, 32, Enable::Always},
    {FilterSlot::grayGainG2, 2106, 2107, 2108, 0, 400, 32, Enable::Always},
    {FilterSlot::grayGainB, 2109, 2110, 2111, 0, 400, 32, Enable::Always},
    {FilterSlot::grayOffsetR, 2112, 2113, 2114, -255, 255, 32, Enable::Always},
    {FilterSlot::grayOffsetG1, 2115, 2116, 2117, -255, 255, 32, Enable::Always},
    {FilterSlot::grayOffsetG2, 2118, 2119, 2120, -255, 255, 32, Enable::Always},
    {FilterSlot::grayOffsetB, 2121, 2122, 2123, -255, 255, 32, Enable::Always},
};

std::span<const SliderRow> Rows(int page)
{
    return page == kImagePage ? std::span<const SliderRow>(kImageRows)
                              : std::span<const SliderRow>(kGrayRows);
}

bool Enabled(const ImageDialogFlags& flags, Enable enable)
{
    switch (enable) {
        case Enable::BrightnessContrast:
            return flags.brightnessContrast;
        case Enable::HueSaturation:
            return flags.hueSaturation;
        case Enable::Sharpness:
            return flags.sharpness;
        case Enable::Gains:
            return flags.gains;
        case Enable::Gamma:
            return flags.gamma;
        case Enable::Always:
            return true;
    }
    return true;
}

// Checks the radio button of `value` among `count` from `first`; none when out of range.
void CheckRadio(DialogPane pane, int first, int count, int32_t value)
{
    for (int i = 0; i < count; ++i)
        pane.SetCheck(first + i, i == value);
}

}  // namespace

ImageDialogFlags ImageDialogFlags::ForColorMode(int32_t colorMode)
{
    ImageDialogFlags flags;
    const bool monochrome = colorMode == 0 || colorMode == 1;
    flags.hueSaturation = !monochrome;
    flags.grayTab = monochrome;
    return flags;
}

void CImageFilterDlg::InitPage(int page, DialogPane pane)
{
    initialised_[page] = false;
    for (const SliderRow& row : Rows(page)) {
        const int32_t value = settings_.Get(row.slot);
        pane.SetRange(row.trackbar, row.minimum, row.maximum);
        pane.SetPosition(row.trackbar, value);
        pane.SetPageSize(row.trackbar, row.pageSize);
        pane.SetRange(row.spin, row.minimum, row.maximum);
        pane.SetPosition(row.spin, value);
        pane.SetInt(row.edit, value, true);
        const bool enabled = Enabled(flags_, row.enable);
        for (const int id : {row.trackbar, row.edit, row.spin})
            pane.Enable(id, enabled);
    }
    if (page == kImagePage) {
        for (int id = kFirstBayerRadio; id < kFirstBayerRadio + 4; ++id)
            pane.Enable(id, flags_.automaticBalance);
        pane.Enable(kOnce, flags_.automaticBalance);
        pane.Enable(kAllFrames, flags_.automaticBalance);
        pane.SetCheck(kAllFrames, settings_.Get(FilterSlot::bayerGainAuto) == 1 &&
                                      settings_.Get(FilterSlot::autoBalanceFlag2) == 0);
    } else {
        CheckRadio(pane, kFirstGrayRadio, 3, settings_.Get(FilterSlot::grayMode));
        pane.SetCheck(kAllFrames, settings_.Get(FilterSlot::autoGrayFrames) == -1);
    }
    CheckRadio(pane, kFirstBayerRadio, 4, settings_.Get(FilterSlot::bayerMode));
    initialised_[page] = true;
}

void CImageFilterDlg::RefreshPage(int page)
{
    if (panes_[page] < 0)
        return;
    DialogPane pane(*box_, panes_[page]);
    // Showing the settings writes none of them back.
    initialised_[page] = false;
    for (const SliderRow& row : Rows(page)) {
        const int32_t value = settings_.Get(row.slot);
        pane.SetPosition(row.trackbar, value);
        pane.SetInt(row.edit, value, true);
    }
    CheckRadio(pane, kFirstBayerRadio, 4, settings_.Get(FilterSlot::bayerMode));
    if (page == kGrayPage)
        CheckRadio(pane, kFirstGrayRadio, 3, settings_.Get(FilterSlot::grayMode));
    initialised_[page] = true;
}

void CImageFilterDlg::RefreshPages()
{
    RefreshPage(kImagePage);
    if (flags_.grayTab)
        RefreshPage(kGrayPage);
}

void CImageFilterDlg::TakeValues(int page)
{
    if (panes_[page] < 0)
        return;
    const DialogPane pane(*box_, panes_[page]);
    for (const SliderRow& row : Rows(page)) {
        bool ok = false;
        if (const int32_t value = pane.Int(row.edit, &ok, true); ok)
            settings_.Set(row.slot, value);
    }
    if (page == kImagePage) {
        for (int mode = 0; mode < 4; ++mode) {
            if (pane.IsChecked(kFirstBayerRadio + mode))
                settings_.Set(FilterSlot::bayerMode, mode);
        }
    }
}

void CImageFilterDlg::CheckBayerMode(DialogPane pane)
{
    CheckRadio(pane, kFirstBayerRadio, 4, settings_.Get(FilterSlot::bayerMode));
}

void CImageFilterDlg::PageProcedure(int page, DialogPane pane, const DialogMessage& message)
{
    if (message.event == DialogEvent::Init) {
        InitPage(page, pane);
        return;
    }
    if (message.event == DialogEvent::Scroll) {
        for (const SliderRow& row : Rows(page)) {
            if (row.trackbar == message.id) {
                settings_.Set(row.slot, pane.Position(row.trackbar));
                pane.SetInt(row.edit, pane.Position(row.trackbar), true);
            }
        }
        return;
    }
    if (message.event != DialogEvent::Command)
        return;
    if (message.code == platform::kEditChange) {
        if (!initialised_[page])
            return;
        for (const SliderRow& row : Rows(page)) {
            bool ok = false;
            const int32_t value = pane.Int(row.edit, &ok, true);
            // Text on its way to a number changes nothing yet.
            if (row.edit == message.id && ok) {
                settings_.Set(row.slot, value);
                pane.SetPosition(row.trackbar, value);
            }
        }
        return;
    }
    if (message.code != platform::kClicked)
        return;
    const int id = message.id;
    if (id >= kFirstBayerRadio && id < kFirstBayerRadio + 4) {
        settings_.Set(FilterSlot::bayerMode, id - kFirstBayerRadio);
        // Both pages show the one Bayer mode.
        if (const int other = panes_[1 - page]; other >= 0)
            CheckBayerMode(DialogPane(*box_, other));
    } else if (page == kGrayPage && id >= kFirstGrayRadio && id < kFirstGrayRadio + 3) {
        settings_.Set(FilterSlot::grayMode, id - kFirstGrayRadio);
    } else if (id == kAllFrames && page == kImagePage) {
        settings_.Set(FilterSlot::bayerGainAuto, pane.IsChecked(kAllFrames) ? 1 : 0);
        settings_.Set(FilterSlot::autoBalanceFlag2, 0);
        settings_.Set(FilterSlot::autoBalanceFlag3, 0);
    } else if (id == kOnce && page == kImagePage) {
        for (const FilterSlot slot :
             {FilterSlot::bayerGainAuto, FilterSlot::autoBalanceFlag2, FilterSlot::autoBalanceFlag3})
            settings_.Set(slot, 1);
        pane.SetCheck(kAllFrames, false);
    } else if (id == kAllFrames) {
        settings_.Set(FilterSlot::autoGrayFrames, settings_.Get(FilterSlot::autoGrayFrames) == 0 ? -1 : 0);
        pane.SetCheck(kAllFrames, settings_.Get(FilterSlot::autoGrayFrames) == -1);
    } else if (id == kOnce) {
        settings_.Set(FilterSlot::autoGrayFrames, 1);
        pane.SetCheck(kAllFrames, false);
    }
}

void CImageFilterDlg::Default()
{
    for (const FilterSlot slot : {FilterSlot::brightness, FilterSlot::contrast, FilterSlot::hue,
                                  FilterSlot::saturation, FilterSlot::sharpness})
        settings_.Set(slot, 0);
    for (const FilterSlot slot :
         {FilterSlot::bayerGainRed, FilterSlot::bayerGainGreen, FilterSlot::bayerGainBlue, FilterSlot::gamma})
        settings_.Set(slot, 100);
    settings_.Set(FilterSlot::bayerMode, 3);
    RefreshPage(kImagePage);
    if (flags_.grayTab) {
        for (const SliderRow& row : kGrayRows)
            settings_.Set(row.slot, row.minimum == 0 ? 128 : 0);
        RefreshPage(kGrayPage);
    }
}

void CImageFilterDlg::Frame(DialogPane frame, const DialogMessage& message)
{
    platform::DialogBox& box = frame.Box();
    if (message.event == DialogEvent::Init) {
        const int pageTemplates[2][2] = {{resources::kImagePageEnglish, resources::kGrayPageEnglish},
                                         {resources::kImagePageJapanese, resources::kGrayPageJapanese}};
        const char* tabs[2] = {"Image Filter", "Gray Filter"};
        for (const int page : {kImagePage, kGrayPage}) {
            const platform::DialogTemplate* source =
                resources::FindDialogTemplate(pageTemplates[japanese_][page]);
            if (page == kGrayPage && !flags_.grayTab)
                break;
            if (source == nullptr) {
                box.EndDialog(-1);
                return;
            }
            frame.InsertItem(kTab, page, tabs[page]);
            panes_[page] = box.CreatePage(*source, kTab, 30, 25, page == kImagePage,
                                          [this, page](DialogPane pane, const DialogMessage& m) {
                                              PageProcedure(page, pane, m);
                                          })
                               .Index();
        }
        frame.SetSelection(kTab, 0);
    } else if (message.event == DialogEvent::TabChange && message.id == kTab) {
        const int selected = frame.Selection(kTab);
        for (const int page : {kImagePage, kGrayPage}) {
            if (panes_[page] >= 0)
                DialogPane(box, panes_[page]).ShowPane(page == selected);
        }
    } else if (message.event == DialogEvent::Posted && message.code == kRefreshPages) {
        RefreshPages();
    } else if (message.event == DialogEvent::Command && message.code == platform::kClicked) {
        if (message.id == platform::kIdOk) {
            TakeValues(kImagePage);
            TakeValues(kGrayPage);
            box.EndDialog(platform::kIdOk);
        } else if (message.id == platform::kIdCancel) {
            box.EndDialog(platform::kIdCancel);
        } else if (message.id == kDefault) {
            Default();
        }
    }
}

int CImageFilterDlg::DoModal(platform::Hwnd parent, DialogHook<>& refresh)
{
    japanese_ = platform::SystemLanguageIsJapanese();
    const platform::DialogTemplate* frame = resources::FindDialogTemplate(
        japanese_ ? resources::kFilterDialogJapanese : resources::kFilterDialogEnglish);
    if (frame == nullptr)
        return -1;
    platform::DialogBox box(*frame, parent,
                            [this](DialogPane pane, const DialogMessage& message) { Frame(pane, message); });
    box_ = &box;
    refresh.Install([&box] { box.Post(0, kRefreshPages, 0); });
    const int result = box.Run();
    refresh.Remove();
    box_ = nullptr;
    panes_[kImagePage] = panes_[kGrayPage] = -1;
    return result;
}

}  // namespace quelix
