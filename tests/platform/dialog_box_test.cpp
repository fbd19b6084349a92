// SPDX-License-Identifier: MIT
// The dialog framework driven by automation: notifications of the user's
// actions, control state, pages, timers, messages from other threads, and
// the automation calls' refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <thread>
#include <vector>

#include "dialog_test_support.h"
#include "platform/dialogs/dialog_box.h"
#include "platform/text/language.h"

namespace quelix::test {
namespace {

using platform::ControlKind;
using platform::DialogBox;
using platform::DialogEvent;
using platform::DialogMessage;
using platform::DialogPane;
using platform::DialogTemplate;
using platform::ParseDialogInt;

TEST(ParseDialogInt, TakesBlanksSignAndDigitsWithinRange)
{
    struct Case {
        const char* text;
        bool isSigned;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, true, 0},
        {"  42", true, true, 42},
        {"-17", true, true, -17},
        {"-17", false, false, 0},
        {"2147483647", true, true, INT32_MAX},
        {"2147483648", true, false, 0},
        {"-2147483648", true, true, INT32_MIN},
        {"-2147483649", true, false, 0},
        {"4294967295", false, true, -1},
        {"4294967296", false, false, 0},
        {"99999999999999999999", false, false, 0},
        {"", true, false, 0},
        {"-", true, false, 0},
        {"+5", true, false, 0},
        {"12a", true, false, 0},
        {"12 ", true, false, 0},
        {"--1", true, false, 0},
        {"\t7", false, true, 7},
    };
    for (const Case& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(ParseDialogInt(c.text, c.isSigned, &ok), c.value) << '"' << c.text << '"';
        EXPECT_EQ(ok, c.ok) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseDialogInt("5", true, nullptr), 5);
}

TEST(SystemLanguage, TheFirstSetOfLcAllLcMessagesAndLangDecides)
{
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        bool japanese;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, false},       {nullptr, nullptr, "ja_JP.UTF-8", true},
        {nullptr, nullptr, "en_US.UTF-8", false}, {nullptr, "ja_JP", "en_US", true},
        {"C", nullptr, "ja_JP.UTF-8", false},     {"", "", "ja", true},
        {"ja_JP.eucJP", "en_US", "en_US", true},  {nullptr, nullptr, "jv_ID", false},
    };
    std::vector<std::pair<const char*, std::optional<std::string>>> saved;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        saved.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    for (const Case& c : cases) {
        const char* values[] = {c.all, c.messages, c.lang};
        for (size_t i = 0; i < 3; ++i) {
            if (values[i] != nullptr)
                setenv(saved[i].first, values[i], 1);
            else
                unsetenv(saved[i].first);
        }
        EXPECT_EQ(platform::SystemLanguageIsJapanese(), c.japanese)
            << (c.all ? c.all : "-") << " " << (c.messages ? c.messages : "-") << " "
            << (c.lang ? c.lang : "-");
    }
    for (const auto& [name, value] : saved) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}

// A dialog of every kind of control, with two pages that share a control id.
class DialogBoxTest : public ::testing::Test {
protected:
    DialogBoxTest()
    {
        frame_ = {900, "Test", "MS Shell Dlg", 200, 150, {}};
        frame_.controls = {
            {1001, ControlKind::Tab, 4, 4, 192, 100, ""},
            {1, ControlKind::PushButton, 80, 130, 50, 14, "OK", platform::kDefaultButton},
            {2, ControlKind::PushButton, 140, 130, 50, 14, "Cancel"},
            {10, ControlKind::Edit, 4, 110, 30, 12, "", platform::kNumberOnly},
            {11, ControlKind::UpDown, 34, 110, 10, 12, "", 0, 10},
            {12, ControlKind::Trackbar, 50, 110, 60, 14, ""},
            {13, ControlKind::CheckBox, 120, 110, 40, 10, "&Check"},
            {20, ControlKind::RadioButton, 0, 0, 10, 10, "a", platform::kGroupStart},
            {21, ControlKind::RadioButton, 0, 0, 10, 10, "b"},
            {22, ControlKind::RadioButton, 0, 0, 10, 10, "c"},
            {23, ControlKind::RadioButton, 0, 0, 10, 10, "d", platform::kGroupStart},
            {24, ControlKind::RadioButton, 0, 0, 10, 10, "e"},
            {30, ControlKind::ComboBox, 0, 0, 40, 40, ""},
            {40, ControlKind::Static, 0, 0, 40, 8, "Label"},
            {41, ControlKind::Edit, 0, 0, 40, 12, "", platform::kReadOnly},
            {42, ControlKind::PushButton, 0, 0, 40, 12, "Off", platform::kStartsDisabled},
            {43, ControlKind::CheckBox, 0, 0, 40, 12, "Hidden", platform::kStartsHidden},
        };
        pageA_ = {901, "", "", 100, 50, {{50, ControlKind::CheckBox, 0, 0, 40, 10, "page A"}}};
        pageB_ = {902, "", "", 100, 50, {{50, ControlKind::CheckBox, 0, 0, 40, 10, "page B"}}};
    }

    // Runs the dialog with the hook body; the dialog's result.
    int Run(DialogDriver::Body body)
    {
        DialogDriver driver(std::move(body));
        DialogBox box(frame_, nullptr, [this](DialogPane pane, const DialogMessage& message) {
            log_.push_back({pane.Index(), message});
            threads_.push_back(std::this_thread::get_id());
            Frame(pane, message);
        });
        box_ = &box;
        const int result = box.Run();
        box_ = nullptr;
        return result;
    }

    void Frame(DialogPane pane, const DialogMessage& message)
    {
        if (message.event == DialogEvent::Init) {
            pane.InsertItem(1001, 0, "A");
            pane.InsertItem(1001, 1, "B");
            pane.SetSelection(1001, 0);
            pane.InsertItem(30, -1, "one");
            pane.InsertItem(30, -1, "two");
            pane.SetRange(11, -5, 5);
            pane.SetRange(12, 0, 10);
            pane.SetText(41, "fixed");
            pane.Box().CreatePage(pageA_, 1001, 30, 25, true,
                                  [this](DialogPane page, const DialogMessage& m) {
                                      log_.push_back({page.Index(), m});
                                  });
            pane.Box().CreatePage(pageB_, 1001, 30, 25, false,
                                  [this](DialogPane page, const DialogMessage& m) {
                                      log_.push_back({page.Index(), m});
                                  });
        } else if (message.event == DialogEvent::Command && message.id <= 2) {
            pane.Box().EndDialog(message.id);
        } else if (message.event == DialogEvent::TabChange) {
            const int tab = pane.Selection(1001);
            DialogPane(pane.Box(), 1).ShowPane(tab == 0);
            DialogPane(pane.Box(), 2).ShowPane(tab == 1);
        } else if (message.event == DialogEvent::Posted && message.code == 7) {
            pane.SetInt(10, static_cast<int32_t>(message.value), true);
        }
    }

    // The messages logged since `from` for pane 0 of this event.
    std::vector<DialogMessage> Logged(DialogEvent event, size_t from = 0) const
    {
        std::vector<DialogMessage> found;
        for (size_t i = from; i < log_.size(); ++i) {
            if (log_[i].first == 0 && log_[i].second.event == event)
                found.push_back(log_[i].second);
        }
        return found;
    }

    DialogTemplate frame_;
    DialogTemplate pageA_;
    DialogTemplate pageB_;
    DialogBox* box_ = nullptr;
    std::vector<std::pair<int, DialogMessage>> log_;
    std::vector<std::thread::id> threads_;
};

TEST_F(DialogBoxTest, WithoutDisplayOrHookTheDialogCannotBeShown)
{
    const char* display = std::getenv("DISPLAY");
    const std::optional<std::string> saved = display ? std::optional<std::string>(display) : std::nullopt;
    unsetenv("DISPLAY");
    DialogBox box(frame_, nullptr, [this](DialogPane, const DialogMessage& message) {
        log_.push_back({0, message});
    });
    EXPECT_EQ(box.Run(), -1);
    EXPECT_TRUE(log_.empty()) << "no procedure ran";
    EXPECT_EQ(box.Run(), -1) << "a dialog runs once";
    if (saved)
        setenv("DISPLAY", saved->c_str(), 1);
}

TEST_F(DialogBoxTest, AHookThatReturnsLeavesTheDialogAsCancel)
{
    int templateSeen = 0;
    EXPECT_EQ(Run([&](QUELIX_DIALOG, int templateId) { templateSeen = templateId; }), 2);
    EXPECT_EQ(templateSeen, 900);
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_.front().second.event, DialogEvent::Init);
    // Pages made during Init got theirs; everything gets Destroy, pages first.
    const auto firstOfPage =
        std::find_if(log_.begin(), log_.end(), [](const auto& entry) { return entry.first == 1; });
    ASSERT_NE(firstOfPage, log_.end());
    EXPECT_EQ(firstOfPage->second.event, DialogEvent::Init);
    EXPECT_EQ(log_.back().first, 0);
    EXPECT_EQ(log_.back().second.event, DialogEvent::Destroy);
    EXPECT_EQ(Logged(DialogEvent::Command).back().id, 2) << "Cancel went through the procedure";
}

TEST_F(DialogBoxTest, DrivingControlsRaisesTheUsersNotifications)
{
    EXPECT_EQ(Run([&](QUELIX_DIALOG d, int) {
                  size_t mark = log_.size();
                  EXPECT_EQ(QuelixPlatform_DialogSetText(d, 10, "3"), 1);
                  auto commands = Logged(DialogEvent::Command, mark);
                  ASSERT_EQ(commands.size(), 1u);
                  EXPECT_EQ(commands[0].id, 10);
                  EXPECT_EQ(commands[0].code, platform::kEditChange);
                  mark = log_.size();
                  EXPECT_EQ(QuelixPlatform_DialogSetText(d, 10, "3"), 1);
                  EXPECT_TRUE(Logged(DialogEvent::Command, mark).empty()) << "the same text is no change";

                  // The up-down holds its position to its range and writes the signed number into its buddy.
                  mark = log_.size();
                  EXPECT_EQ(QuelixPlatform_DialogSetPosition(d, 11, -99), 1);
                  EXPECT_EQ(DialogPosition(d, 11), -5);
                  EXPECT_EQ(DialogText(d, 10), "-5");
                  EXPECT_EQ(Logged(DialogEvent::Command, mark).size(), 1u);

                  // A trackbar clamps too and reports a scroll.
                  mark = log_.size();
                  EXPECT_EQ(QuelixPlatform_DialogSetPosition(d, 12, 1000), 1);
                  EXPECT_EQ(DialogPosition(d, 12), 10);
                  ASSERT_EQ(Logged(DialogEvent::Scroll, mark).size(), 1u);
                  int minimum = 1;
                  int maximum = 0;
                  EXPECT_EQ(QuelixPlatform_DialogGetRange(d, 12, &minimum, &maximum), 1);
                  EXPECT_EQ(minimum, 0);
                  EXPECT_EQ(maximum, 10);

                  // Check boxes toggle; a radio button unchecks the others of its group only.
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 13), 1);
                  EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 13), 1);
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 13), 1);
                  EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 13), 0);
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 24), 1);
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 20), 1);
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 22), 1);
                  EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 20), 0);
                  EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 22), 1);
                  EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 24), 1) << "another group";

                  // Combo boxes: entries, selection, and a change notification.
                  EXPECT_EQ(QuelixPlatform_DialogGetItemCount(d, 30), 2);
                  EXPECT_EQ(QuelixPlatform_DialogGetSelection(d, 30), -1);
                  mark = log_.size();
                  EXPECT_EQ(QuelixPlatform_DialogSelect(d, 30, 1), 1);
                  ASSERT_EQ(Logged(DialogEvent::Command, mark).size(), 1u);
                  EXPECT_EQ(Logged(DialogEvent::Command, mark)[0].code, platform::kSelectionChange);
                  EXPECT_EQ(DialogText(d, 30), "two");
                  EXPECT_EQ(QuelixPlatform_DialogSelect(d, 30, 2), 0);
                  EXPECT_EQ(QuelixPlatform_DialogSelect(d, 30, -1), 0);
                  char item[8] = {};
                  EXPECT_EQ(QuelixPlatform_DialogGetItemText(d, 30, 0, item, sizeof item), 3);
                  EXPECT_STREQ(item, "one");
                  EXPECT_EQ(QuelixPlatform_DialogGetItemText(d, 30, 2, item, sizeof item), -1);

                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 1), 1);
                  EXPECT_EQ(QuelixPlatform_DialogClick(d, 2), 0) << "the dialog has ended";
              }),
              1);
}

TEST_F(DialogBoxTest, WhatAUserCannotReachIsRefused)
{
    Run([&](QUELIX_DIALOG d, int) {
        const size_t mark = log_.size();
        EXPECT_EQ(QuelixPlatform_DialogSetText(d, 41, "x"), 0) << "read-only edit";
        EXPECT_EQ(DialogText(d, 41), "fixed");
        EXPECT_EQ(QuelixPlatform_DialogClick(d, 42), 0) << "disabled button";
        EXPECT_EQ(QuelixPlatform_DialogIsEnabled(d, 42), 0);
        EXPECT_EQ(QuelixPlatform_DialogClick(d, 43), 0) << "hidden check box";
        EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, 43), 0);
        EXPECT_EQ(QuelixPlatform_DialogClick(d, 40), 0) << "a label is no button";
        EXPECT_EQ(QuelixPlatform_DialogSetText(d, 13, "x"), 0) << "a check box is no edit";
        EXPECT_EQ(QuelixPlatform_DialogSetPosition(d, 13, 1), 0);
        EXPECT_EQ(QuelixPlatform_DialogSetText(d, 10, nullptr), 0);
        EXPECT_EQ(QuelixPlatform_DialogClick(d, 777), 0) << "unknown control";
        EXPECT_EQ(QuelixPlatform_DialogIsChecked(d, 777), -1);
        EXPECT_EQ(QuelixPlatform_DialogGetText(d, 777, nullptr, 0), -1);
        EXPECT_EQ(QuelixPlatform_DialogGetItemCount(d, 13), -1);
        EXPECT_EQ(QuelixPlatform_DialogClick(nullptr, 1), 0);
        EXPECT_EQ(QuelixPlatform_DialogClick(reinterpret_cast<QUELIX_DIALOG>(0x1234), 1), 0);
        EXPECT_EQ(log_.size(), mark) << "nothing was notified";

        // Texts are cut to the buffer and always terminated; the result is the whole length.
        char text[4] = {'x', 'x', 'x', 'x'};
        EXPECT_EQ(QuelixPlatform_DialogGetText(d, 40, text, 4), 5);
        EXPECT_STREQ(text, "Lab");
        EXPECT_EQ(QuelixPlatform_DialogGetText(d, 40, text, 1), 5);
        EXPECT_STREQ(text, "");
        EXPECT_EQ(QuelixPlatform_DialogGetText(d, 40, nullptr, 100), 5);

        // From another thread nothing is reached.
        int fromThread = -2;
        std::thread([&] { fromThread = QuelixPlatform_DialogIsChecked(d, 13); }).join();
        EXPECT_EQ(fromThread, -1);
    });
}

TEST_F(DialogBoxTest, AClosedDialogsHandleIsRefused)
{
    QUELIX_DIALOG kept = nullptr;
    Run([&](QUELIX_DIALOG d, int) { kept = d; });
    EXPECT_EQ(QuelixPlatform_DialogIsChecked(kept, 13), -1);
    EXPECT_EQ(QuelixPlatform_DialogPump(kept, 0), 0);
}

TEST_F(DialogBoxTest, AnIdNamesTheDialogsControlThenTheShownPageThenAHiddenOne)
{
    Run([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(DialogText(d, 50), "page A");
        EXPECT_EQ(DialogText(d, 1001), "A");
        EXPECT_EQ(QuelixPlatform_DialogSelect(d, 1001, 1), 1);
        EXPECT_EQ(Logged(DialogEvent::TabChange).size(), 1u);
        EXPECT_EQ(DialogText(d, 50), "page B");
        EXPECT_EQ(QuelixPlatform_DialogClick(d, 50), 1);
        EXPECT_EQ(log_.back().first, 2) << "page B's procedure got the click";
        EXPECT_EQ(QuelixPlatform_DialogIsVisible(d, 50), 1);
    });
}

TEST_F(DialogBoxTest, TimersFireWhenDueOrWhenAsked)
{
    Run([&](QUELIX_DIALOG d, int) {
        EXPECT_EQ(QuelixPlatform_DialogFireTimer(d, 5), 0) << "not set";
        DialogPane(*box_, 0).SetTimer(5, 10);
        EXPECT_EQ(QuelixPlatform_DialogFireTimer(d, 5), 1);
        EXPECT_EQ(Logged(DialogEvent::Timer).size(), 1u);
        for (int i = 0; i < 100 && Logged(DialogEvent::Timer).size() < 3; ++i)
            EXPECT_EQ(QuelixPlatform_DialogPump(d, 50), 1);
        EXPECT_GE(Logged(DialogEvent::Timer).size(), 3u);
        DialogPane(*box_, 0).KillTimer(5);
        EXPECT_EQ(QuelixPlatform_DialogFireTimer(d, 5), 0);
    });
}

TEST_F(DialogBoxTest, MessagesFromOtherThreadsArriveOnTheDialogsThread)
{
    Run([&](QUELIX_DIALOG d, int) {
        std::thread poster([this] {
            for (int i = 1; i <= 50; ++i)
                box_->Post(0, 7, i);
        });
        for (int i = 0; i < 200 && DialogText(d, 10) != "50"; ++i)
            QuelixPlatform_DialogPump(d, 20);
        poster.join();
        QuelixPlatform_DialogPump(d, 0);
        EXPECT_EQ(DialogText(d, 10), "50");
        EXPECT_EQ(Logged(DialogEvent::Posted).size(), 50u) << "every message, in order";
    });
    for (const std::thread::id id : threads_)
        EXPECT_EQ(id, std::this_thread::get_id());
}

}  // namespace
}  // namespace quelix::test
