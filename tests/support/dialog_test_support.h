// SPDX-License-Identifier: MIT
// Helpers of the dialog tests: a hook that runs a test's function inside the
// open dialog, and the dialog's own text of a control.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "QuelixPlatform.h"

namespace quelix::test {

// Installs a hook for its lifetime that runs `body` with the dialog and its
// template id. Without a display (DISPLAY unset while it lives, unless
// `keepDisplay`) the dialog runs on automation alone.
class DialogDriver {
public:
    using Body = std::function<void(QUELIX_DIALOG dialog, int templateId)>;

    explicit DialogDriver(Body body, bool keepDisplay = false) : body_(std::move(body))
    {
        if (const char* display = std::getenv("DISPLAY"))
            savedDisplay_ = display;
        if (!keepDisplay)
            unsetenv("DISPLAY");
        QuelixPlatform_SetDialogHook(&DialogDriver::Hook, this);
    }
    ~DialogDriver()
    {
        QuelixPlatform_SetDialogHook(nullptr, nullptr);
        if (savedDisplay_)
            setenv("DISPLAY", savedDisplay_->c_str(), 1);
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    int Calls() const { return calls_.load(); }

private:
    static void Hook(QUELIX_DIALOG dialog, int templateId, void* context)
    {
        auto* driver = static_cast<DialogDriver*>(context);
        ++driver->calls_;
        driver->body_(dialog, templateId);
    }

    Body body_;
    std::optional<std::string> savedDisplay_;
    std::atomic<int> calls_{0};
};

// The language of the dialogs for the test's lifetime.
class ScopedLanguage {
public:
    explicit ScopedLanguage(const char* lang)
    {
        for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
            unsetenv(name);
        }
        setenv("LANG", lang, 1);
    }
    ~ScopedLanguage()
    {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name, value->c_str(), 1);
            else
                unsetenv(name);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

inline std::string DialogText(QUELIX_DIALOG dialog, int id)
{
    char text[256] = {};
    const int length = QuelixPlatform_DialogGetText(dialog, id, text, sizeof text);
    return length < 0 ? "<unknown control>" : std::string(text);
}

inline int DialogPosition(QUELIX_DIALOG dialog, int id)
{
    int position = -12345;
    QuelixPlatform_DialogGetPosition(dialog, id, &position);
    return position;
}

}  // namespace quelix::test
