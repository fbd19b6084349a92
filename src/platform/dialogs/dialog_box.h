// SPDX-License-Identifier: MIT
// Modal dialogs as the settings dialogs see them: a dialog made from a
// template, with pages inside its tab control, each pane with a procedure
// that gets the dialog's messages. The dialog holds the state of every
// control; procedures change it through DialogPane and are told of the
// user's actions by notifications. A view shows the dialog: the GTK view
// when a display is available, and the automation hook (QuelixPlatform.h)
// when one is installed; with neither the dialog cannot be shown.
//
// Everything but Post runs on the dialog's thread, the thread that called Run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/dialog_view_interface.h"
#include "platform/windowing/window_table.h"

namespace quelix::platform {

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class DialogEvent {
    Init,       // the pane was made; its controls are at their template state
    Command,    // id: the control, code: kClicked, kEditChange or kSelectionChange
    Scroll,     // id: the trackbar the user moved
    TabChange,  // id: the tab control whose selection the user changed
    Timer,      // id: the timer
    Posted,     // code and value as given to Post
    Destroy,    // the dialog is going away
};

inline constexpr int kClicked = 0;
inline constexpr int kSelectionChange = 1;
inline constexpr int kEditChange = 0x300;

struct DialogMessage {
    DialogEvent event = DialogEvent::Init;
    int id = 0;
    int code = 0;
    intptr_t value = 0;
};

class DialogBox;

// One pane of a dialog as its procedure addresses it. Calls naming a control
// the pane does not have do nothing (getters give 0, false or "").
class DialogPane {
public:
    DialogPane(DialogBox& box, int pane) : box_(&box), pane_(pane) {}

    DialogBox& Box() const { return *box_; }
    int Index() const { return pane_; }

    // Setting an edit's text raises its edit-change notification, as a
    // user's typing does; no other setter notifies.
    void SetText(int id, const std::string& text);
    std::string Text(int id) const;
    void SetInt(int id, int32_t value, bool isSigned);
    // The edit's number; 0 with *ok false when its text is not one.
    int32_t Int(int id, bool* ok, bool isSigned) const;
    void SetCheck(int id, bool checked);
    bool IsChecked(int id) const;
    void Enable(int id, bool enabled);
    void Show(int id, bool visible);
    // Trackbars and up-downs. Positions are held to the range; an up-down
    // writes its position into its buddy edit.
    void SetRange(int id, int minimum, int maximum);
    void SetPosition(int id, int position);
    int Position(int id) const;
    void SetPageSize(int id, int pageSize);
    void SetTicFrequency(int id, int frequency);
    // Combo boxes and tab controls.
    void ResetItems(int id);
    void InsertItem(int id, int index, const std::string& text);  // index < 0 or past the end: append
    void DeleteItem(int id, int index);
    void SetSelection(int id, int index);  // out of range: no selection
    int Selection(int id) const;
    int ItemCount(int id) const;
    // Timers of this pane: a Timer message every intervalMs from now on.
    void SetTimer(int timerId, int intervalMs);
    void KillTimer(int timerId);
    void ShowPane(bool visible);
    // The control the user starts at when the dialog shows.
    void SetFocus(int id);

private:
    ControlState* Find(int id) const;
    void Changed(const ControlState* control) const;

    DialogBox* box_;
    int pane_;
};

using DialogProcedure = std::function<void(DialogPane pane, const DialogMessage& message)>;

class DialogBox final : public DialogViewHost {
public:
    DialogBox(const DialogTemplate& frame, Hwnd parent, DialogProcedure procedure);
    ~DialogBox();
    DialogBox(const DialogBox&) = delete;
    DialogBox& operator=(const DialogBox&) = delete;

    // Shows the dialog and runs it until a procedure ends it: the result it
    // ended with, or -1 when the dialog cannot be shown (no display and no
    // automation hook). Runs once.
    int Run();
    void EndDialog(int result);
    int TemplateId() const { return panes_[0]->state.source->id; }

    // A page inside tab control `tabControl` of the dialog, at (x, y) pixels
    // from its corner; its procedure gets Init at once.
    DialogPane CreatePage(const DialogTemplate& page, int tabControl, int x, int y, bool visible,
                          DialogProcedure procedure);
    DialogPane Frame() { return DialogPane(*this, 0); }

    // Any thread: a Posted message for the pane, delivered on the dialog's thread.
    void Post(int pane, int code, intptr_t value);

    // Automation, on the dialog's thread. A control id names the dialog's own
    // control, else that of a shown page, else that of a hidden page.
    struct Address {
        int pane;
        int index;
    };
    std::optional<Address> Locate(int id) const;
    const ControlState& Control(Address address) const
    {
        return panes_[address.pane]->state.controls[address.index];
    }
    // Fires the pane's timer now; false when it is not set.
    bool FireTimer(int timerId);
    // Delivers what waits for up to timeoutMs; false once the dialog has ended.
    bool Pump(int timeoutMs);
    // The control's text as the screen shows it (the state without a view).
    std::string ShownText(Address address);
    bool OnThread() const { return std::this_thread::get_id() == thread_; }

    // DialogViewHost.
    int PaneCount() const override { return static_cast<int>(panes_.size()); }
    const PaneState& Pane(int pane) const override { return panes_[pane]->state; }
    void UserEdit(int pane, int index, const std::string& text) override;
    void UserScroll(int pane, int index, int position) override;
    void UserSpin(int pane, int index, int position) override;
    void UserClick(int pane, int index) override;
    void UserSelect(int pane, int index, int item) override;
    void UserClose() override;
    void DeliverPending() override;
    bool Ended() const override { return ended_; }

private:
    friend class DialogPane;
    using Clock = std::chrono::steady_clock;
    struct PaneData {
        PaneState state;
        DialogProcedure procedure;
    };
    struct Timer {
        int pane;
        int id;
        std::chrono::milliseconds interval;
        Clock::time_point due;
    };
    struct PostedMessage {
        int pane;
        int code;
        intptr_t value;
    };

    void AddPane(const DialogTemplate& source, int tabControl, int x, int y, bool visible,
                 DialogProcedure procedure);
    void Send(int pane, const DialogMessage& message);
    void Changed(int pane, const ControlState* control);
    ControlState* At(int pane, int index);
    // Whether a user may act on the control now.
    bool Usable(int pane, int index) const;
    void SetControlText(int pane, ControlState& control, const std::string& text);
    std::optional<Clock::time_point> NextTimerDue() const;

    Hwnd parent_;
    std::vector<std::unique_ptr<PaneData>> panes_;
    std::vector<Timer> timers_;
    std::unique_ptr<DialogView> view_;
    bool shown_ = false;
    bool ended_ = false;
    bool ran_ = false;
    int result_ = -1;
    std::thread::id thread_;

    std::mutex postedLock_;  // guards posted_
    std::condition_variable postedArrived_;
    std::deque<PostedMessage> posted_;
};

// The number in an edit's text, as a dialog reads it: optional leading
// blanks, a minus sign when signed, decimal digits and nothing else, within
// the 32-bit range. 0 with *ok false otherwise.
int32_t ParseDialogInt(const std::string& text, bool isSigned, bool* ok);

}  // namespace quelix::platform
