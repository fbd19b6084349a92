// SPDX-License-Identifier: MIT
#include "platform/dialogs/dialog_box.h"

#include <algorithm>
#include <climits>

#include "platform/dialogs/dialog_view_finder.h"
#include "platform/windowing/display_window.h"

namespace quelix::platform {

int32_t ParseDialogInt(const std::string& text, bool isSigned, bool* ok)
{
    size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
        ++at;
    const bool negative = isSigned && at < text.size() && text[at] == '-';
    if (negative)
        ++at;
    const int64_t limit = isSigned ? (negative ? -int64_t{INT32_MIN} : INT32_MAX) : UINT32_MAX;
    int64_t value = 0;
    const size_t firstDigit = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10 + (text[at] - '0');
        if (value > limit)
            break;
    }
    const bool valid = at == text.size() && at > firstDigit && value <= limit;
    if (ok != nullptr)
        *ok = valid;
    if (!valid)
        return 0;
    return static_cast<int32_t>(static_cast<uint32_t>(negative ? -value : value));
}

// --- DialogPane

ControlState* DialogPane::Find(int id) const
{
    for (ControlState& control : box_->panes_[pane_]->state.controls) {
        if (control.control.id == id && id != 0)
            return &control;
    }
    return nullptr;
}

void DialogPane::Changed(const ControlState* control) const
{
    box_->Changed(pane_, control);
}

void DialogPane::SetText(int id, const std::string& text)
{
    if (ControlState* control = Find(id))
        box_->SetControlText(pane_, *control, text);
}

std::string DialogPane::Text(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr ? control->text : std::string();
}

void DialogPane::SetInt(int id, int32_t value, bool isSigned)
{
    SetText(id, isSigned ? std::to_string(value) : std::to_string(static_cast<uint32_t>(value)));
}

int32_t DialogPane::Int(int id, bool* ok, bool isSigned) const
{
    const ControlState* control = Find(id);
    if (control == nullptr) {
        if (ok != nullptr)
            *ok = false;
        return 0;
    }
    return ParseDialogInt(control->text, isSigned, ok);
}

void DialogPane::SetCheck(int id, bool checked)
{
    if (ControlState* control = Find(id); control != nullptr && control->checked != checked) {
        control->checked = checked;
        Changed(control);
    }
}

bool DialogPane::IsChecked(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr && control->checked;
}

void DialogPane::Enable(int id, bool enabled)
{
    if (ControlState* control = Find(id); control != nullptr && control->enabled != enabled) {
        control->enabled = enabled;
        Changed(control);
    }
}

void DialogPane::Show(int id, bool visible)
{
    if (ControlState* control = Find(id); control != nullptr && control->visible != visible) {
        control->visible = visible;
        Changed(control);
    }
}

void DialogPane::SetRange(int id, int minimum, int maximum)
{
    if (ControlState* control = Find(id)) {
        control->minimum = minimum;
        control->maximum = std::max(minimum, maximum);
        control->position = std::clamp(control->position, control->minimum, control->maximum);
        Changed(control);
    }
}

void DialogPane::SetPosition(int id, int position)
{
    ControlState* control = Find(id);
    if (control == nullptr)
        return;
    control->position = std::clamp(position, control->minimum, control->maximum);
    Changed(control);
    if (control->control.kind == ControlKind::UpDown)
        SetInt(control->control.buddy, control->position, control->minimum < 0);
}

int DialogPane::Position(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr ? control->position : 0;
}

void DialogPane::SetPageSize(int id, int pageSize)
{
    if (ControlState* control = Find(id)) {
        control->pageSize = pageSize;
        Changed(control);
    }
}

void DialogPane::SetTicFrequency(int id, int frequency)
{
    if (ControlState* control = Find(id)) {
        control->ticFrequency = frequency;
        Changed(control);
    }
}

void DialogPane::ResetItems(int id)
{
    if (ControlState* control = Find(id)) {
        control->items.clear();
        control->selection = -1;
        Changed(control);
    }
}

void DialogPane::InsertItem(int id, int index, const std::string& text)
{
    ControlState* control = Find(id);
    if (control == nullptr)
        return;
    const auto count = static_cast<int>(control->items.size());
    const int at = index < 0 || index > count ? count : index;
    control->items.insert(control->items.begin() + at, text);
    if (control->selection >= at)
        ++control->selection;
    Changed(control);
}

void DialogPane::DeleteItem(int id, int index)
{
    ControlState* control = Find(id);
    if (control == nullptr || index < 0 || index >= static_cast<int>(control->items.size()))
        return;
    control->items.erase(control->items.begin() + index);
    if (control->selection == index)
        control->selection = -1;
    else if (control->selection > index)
        --control->selection;
    Changed(control);
}

void DialogPane::SetSelection(int id, int index)
{
    if (ControlState* control = Find(id)) {
        control->selection = index >= 0 && index < static_cast<int>(control->items.size()) ? index : -1;
        Changed(control);
    }
}

int DialogPane::Selection(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr ? control->selection : -1;
}

int DialogPane::ItemCount(int id) const
{
    const ControlState* control = Find(id);
    return control != nullptr ? static_cast<int>(control->items.size()) : 0;
}

void DialogPane::SetTimer(int timerId, int intervalMs)
{
    KillTimer(timerId);
    const std::chrono::milliseconds interval(std::max(intervalMs, 1));
    box_->timers_.push_back({pane_, timerId, interval, DialogBox::Clock::now() + interval});
}

void DialogPane::KillTimer(int timerId)
{
    std::erase_if(box_->timers_,
                  [&](const DialogBox::Timer& timer) { return timer.pane == pane_ && timer.id == timerId; });
}

void DialogPane::ShowPane(bool visible)
{
    PaneState& state = box_->panes_[pane_]->state;
    if (state.visible != visible) {
        state.visible = visible;
        if (box_->shown_)
            box_->view_->PaneChanged(pane_);
    }
}

void DialogPane::SetFocus(int id)
{
    const ControlState* control = Find(id);
    if (control == nullptr)
        return;
    for (auto& pane : box_->panes_)
        pane->state.focus = -1;
    PaneState& state = box_->panes_[pane_]->state;
    state.focus = static_cast<int>(control - state.controls.data());
}

// --- DialogBox

DialogBox::DialogBox(const DialogTemplate& frame, Hwnd parent, DialogProcedure procedure) : parent_(parent)
{
    AddPane(frame, 0, 0, 0, true, std::move(procedure));
}

DialogBox::~DialogBox() = default;

void DialogBox::AddPane(const DialogTemplate& source, int tabControl, int x, int y, bool visible,
                        DialogProcedure procedure)
{
    auto pane = std::make_unique<PaneData>();
    pane->state.source = &source;
    pane->state.tabControl = tabControl;
    pane->state.x = x;
    pane->state.y = y;
    pane->state.visible = visible;
    for (const ControlTemplate& control : source.controls) {
        ControlState state;
        state.control = control;
        state.text = control.kind == ControlKind::Edit || control.kind == ControlKind::ComboBox ||
                             control.kind == ControlKind::Tab
                         ? std::string()
                         : control.text;
        state.visible = (control.flags & kStartsHidden) == 0;
        state.enabled = (control.flags & kStartsDisabled) == 0;
        pane->state.controls.push_back(std::move(state));
    }
    pane->procedure = std::move(procedure);
    panes_.push_back(std::move(pane));
}

DialogPane DialogBox::CreatePage(const DialogTemplate& page, int tabControl, int x, int y, bool visible,
                                 DialogProcedure procedure)
{
    AddPane(page, tabControl, x, y, visible, std::move(procedure));
    const int index = PaneCount() - 1;
    Send(index, {DialogEvent::Init, 0, 0, 0});
    return DialogPane(*this, index);
}

int DialogBox::Run()
{
    if (ran_)
        return -1;
    ran_ = true;
    thread_ = std::this_thread::get_id();
    const DialogHookEntry hook = CurrentDialogHook();
    const std::optional<WindowInfo> parent = parent_ != nullptr ? GetWindowInfo(parent_) : std::nullopt;
    view_ = OpenDisplayDialogView(*this, parent ? parent->native : 0);
    if (view_ == nullptr && hook.function == nullptr)
        return -1;
    const QUELIX_DIALOG handle = RegisterDialog(this);
    Send(0, {DialogEvent::Init, 0, 0, 0});
    if (!ended_ && view_ != nullptr) {
        shown_ = view_->Show(panes_[0]->state.source->title);
        if (!shown_)
            view_.reset();
    }
    if (!ended_ && (view_ != nullptr || hook.function != nullptr)) {
        if (hook.function != nullptr)
            hook.function(handle, TemplateId(), hook.context);
        if (!ended_ && view_ != nullptr)
            view_->RunUntilEnded();
        // A hook that returns with the dialog open leaves it as Cancel does.
        UserClose();
        EndDialog(kIdCancel);
    }
    UnregisterDialog(handle);
    for (int pane = PaneCount() - 1; pane >= 0; --pane)
        Send(pane, {DialogEvent::Destroy, 0, 0, 0});
    shown_ = false;
    view_.reset();
    timers_.clear();
    return ended_ ? result_ : -1;
}

void DialogBox::EndDialog(int result)
{
    if (!ended_) {
        ended_ = true;
        result_ = result;
    }
}

void DialogBox::Post(int pane, int code, intptr_t value)
{
    {
        std::lock_guard lock(postedLock_);
        posted_.push_back({pane, code, value});
    }
    postedArrived_.notify_one();
}

void DialogBox::Send(int pane, const DialogMessage& message)
{
    // A procedure may make pages while it runs, so the pane is looked up afresh.
    if (pane >= 0 && pane < PaneCount() && panes_[pane]->procedure)
        panes_[pane]->procedure(DialogPane(*this, pane), message);
}

void DialogBox::Changed(int pane, const ControlState* control)
{
    if (!shown_ || control == nullptr)
        return;
    const auto& controls = panes_[pane]->state.controls;
    view_->ControlChanged(pane, static_cast<int>(control - controls.data()));
}

ControlState* DialogBox::At(int pane, int index)
{
    if (pane < 0 || pane >= PaneCount())
        return nullptr;
    auto& controls = panes_[pane]->state.controls;
    return index >= 0 && index < static_cast<int>(controls.size()) ? &controls[index] : nullptr;
}

bool DialogBox::Usable(int pane, int index) const
{
    if (ended_ || pane < 0 || pane >= PaneCount())
        return false;
    const PaneState& state = panes_[pane]->state;
    if (index < 0 || index >= static_cast<int>(state.controls.size()))
        return false;
    const ControlState& control = state.controls[index];
    return control.enabled && control.visible;
}

void DialogBox::SetControlText(int pane, ControlState& control, const std::string& text)
{
    control.text = text;
    Changed(pane, &control);
    if (control.control.kind == ControlKind::Edit)
        Send(pane, {DialogEvent::Command, control.control.id, kEditChange, 0});
}

void DialogBox::UserEdit(int pane, int index, const std::string& text)
{
    ControlState* control = At(pane, index);
    if (!Usable(pane, index) || control->control.kind != ControlKind::Edit ||
        (control->control.flags & kReadOnly) != 0 || control->text == text)
        return;
    SetControlText(pane, *control, text);
}

void DialogBox::UserScroll(int pane, int index, int position)
{
    ControlState* control = At(pane, index);
    if (!Usable(pane, index) || control->control.kind != ControlKind::Trackbar)
        return;
    control->position = std::clamp(position, control->minimum, control->maximum);
    Changed(pane, control);
    Send(pane, {DialogEvent::Scroll, control->control.id, 0, 0});
}

void DialogBox::UserSpin(int pane, int index, int position)
{
    ControlState* control = At(pane, index);
    if (!Usable(pane, index) || control->control.kind != ControlKind::UpDown)
        return;
    DialogPane(*this, pane).SetPosition(control->control.id, position);
}

void DialogBox::UserClick(int pane, int index)
{
    ControlState* control = At(pane, index);
    if (!Usable(pane, index))
        return;
    const ControlKind kind = control->control.kind;
    if (kind == ControlKind::CheckBox) {
        control->checked = !control->checked;
        Changed(pane, control);
    } else if (kind == ControlKind::RadioButton) {
        // The group runs from the radio button that starts it to the next
        // control that is not a radio button or starts another group.
        auto& controls = panes_[pane]->state.controls;
        int first = index;
        while (first > 0 && (controls[first].control.flags & kGroupStart) == 0 &&
               controls[first - 1].control.kind == ControlKind::RadioButton)
            --first;
        for (int i = first; i < static_cast<int>(controls.size()); ++i) {
            if (controls[i].control.kind != ControlKind::RadioButton ||
                (i > first && (controls[i].control.flags & kGroupStart) != 0))
                break;
            if (controls[i].checked != (i == index)) {
                controls[i].checked = i == index;
                Changed(pane, &controls[i]);
            }
        }
    } else if (kind != ControlKind::PushButton) {
        return;
    }
    Send(pane, {DialogEvent::Command, control->control.id, kClicked, 0});
}

void DialogBox::UserSelect(int pane, int index, int item)
{
    ControlState* control = At(pane, index);
    if (!Usable(pane, index) || item < 0 || item >= static_cast<int>(control->items.size()))
        return;
    const ControlKind kind = control->control.kind;
    if (kind != ControlKind::ComboBox && kind != ControlKind::Tab)
        return;
    control->selection = item;
    Changed(pane, control);
    if (kind == ControlKind::ComboBox)
        Send(pane, {DialogEvent::Command, control->control.id, kSelectionChange, 0});
    else
        Send(pane, {DialogEvent::TabChange, control->control.id, 0, 0});
}

void DialogBox::UserClose()
{
    if (!ended_)
        Send(0, {DialogEvent::Command, kIdCancel, kClicked, 0});
}

std::optional<DialogBox::Clock::time_point> DialogBox::NextTimerDue() const
{
    std::optional<Clock::time_point> next;
    for (const Timer& timer : timers_) {
        if (!next || timer.due < *next)
            next = timer.due;
    }
    return next;
}

void DialogBox::DeliverPending()
{
    std::deque<PostedMessage> messages;
    {
        std::lock_guard lock(postedLock_);
        messages.swap(posted_);
    }
    for (const PostedMessage& message : messages) {
        if (ended_)
            return;
        Send(message.pane, {DialogEvent::Posted, 0, message.code, message.value});
    }
    const Clock::time_point now = Clock::now();
    std::vector<std::pair<int, int>> due;
    for (Timer& timer : timers_) {
        if (timer.due <= now) {
            timer.due = now + timer.interval;
            due.emplace_back(timer.pane, timer.id);
        }
    }
    for (const auto& [pane, id] : due) {
        if (ended_)
            return;
        Send(pane, {DialogEvent::Timer, id, 0, 0});
    }
}

bool DialogBox::FireTimer(int timerId)
{
    for (const Timer& timer : timers_) {
        if (timer.id == timerId && !ended_) {
            Send(timer.pane, {DialogEvent::Timer, timerId, 0, 0});
            return true;
        }
    }
    return false;
}

bool DialogBox::Pump(int timeoutMs)
{
    if (ended_)
        return false;
    if (view_ != nullptr) {
        view_->Pump(timeoutMs);
        return !ended_;
    }
    auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    if (const auto next = NextTimerDue(); next && *next < deadline)
        deadline = *next;
    {
        std::unique_lock lock(postedLock_);
        postedArrived_.wait_until(lock, deadline, [this] { return !posted_.empty(); });
    }
    DeliverPending();
    return !ended_;
}

std::optional<DialogBox::Address> DialogBox::Locate(int id) const
{
    if (id == 0)
        return std::nullopt;
    // The dialog itself, the shown pages, then the hidden ones.
    for (const bool wantVisible : {true, false}) {
        for (int pane = 0; pane < PaneCount(); ++pane) {
            const PaneState& state = panes_[pane]->state;
            if (state.visible != wantVisible)
                continue;
            for (int index = 0; index < static_cast<int>(state.controls.size()); ++index) {
                if (state.controls[index].control.id == id)
                    return Address{pane, index};
            }
        }
    }
    return std::nullopt;
}

std::string DialogBox::ShownText(Address address)
{
    if (shown_)
        return view_->ShownText(address.pane, address.index);
    return Control(address).text;
}

}  // namespace quelix::platform
