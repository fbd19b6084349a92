// SPDX-License-Identifier: MIT
// Opens the GTK dialog view: a module of its own, loaded with dlopen the
// first time a dialog is shown on a display, so that neither the library's
// start-up nor an application without a display pays for GTK. The module is
// looked for at $QUELIX_DIALOG_VIEW_MODULE, beside the library, then on the
// library search path.
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/dialogs/dialog_view_finder.h"

namespace quelix::platform {

namespace {

constexpr const char kModuleName[] = "libQuelixSdk_205KWMX_gtk.so";
// The module's folder beside the library (lib/ARCH/quelix/ when installed),
// so that no module without a soname sits in the library directory itself.
constexpr const char kModuleFolder[] = "quelix/";

std::string ModuleBesideLibrary()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OpenDisplayDialogView), &info) == 0 || info.dli_fname == nullptr)
        return {};
    const std::string library = info.dli_fname;
    const size_t slash = library.rfind('/');
    return slash == std::string::npos ? std::string()
                                      : library.substr(0, slash + 1) + kModuleFolder + kModuleName;
}

CreateDialogViewFunction LoadModule()
{
    std::string candidates[3];
    if (const char* path = std::getenv("QUELIX_DIALOG_VIEW_MODULE"); path != nullptr && *path != '\0')
        candidates[0] = path;
    candidates[1] = ModuleBesideLibrary();
    candidates[2] = kModuleName;
    for (const std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        // Never closed: GTK cannot be unloaded once it has run.
        if (void* module = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL))
            return reinterpret_cast<CreateDialogViewFunction>(dlsym(module, kCreateDialogViewSymbol));
    }
    return nullptr;
}

// GTK serves one thread at a time: the view holds this lock while it lives.
std::mutex gtkInUse;

class LockedView final : public DialogView {
public:
    LockedView(std::unique_lock<std::mutex> lock, DialogView* view) : lock_(std::move(lock)), view_(view) {}
    bool Show(const std::string& title) override { return view_->Show(title); }
    void ControlChanged(int pane, int index) override { view_->ControlChanged(pane, index); }
    void PaneChanged(int pane) override { view_->PaneChanged(pane); }
    void RunUntilEnded() override { view_->RunUntilEnded(); }
    void Pump(int timeoutMs) override { view_->Pump(timeoutMs); }
    std::string ShownText(int pane, int index) override { return view_->ShownText(pane, index); }

private:
    std::unique_lock<std::mutex> lock_;  // released after the view is gone
    std::unique_ptr<DialogView> view_;
};

}  // namespace

std::unique_ptr<DialogView> OpenDisplayDialogView(DialogViewHost& host, unsigned long parentWindow)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0')
        return nullptr;
    static const CreateDialogViewFunction create = LoadModule();
    std::unique_lock lock(gtkInUse, std::try_to_lock);
    if (create == nullptr || !lock.owns_lock())
        return nullptr;
    DialogView* view = create(&host, parentWindow);
    if (view == nullptr)
        return nullptr;
    return std::make_unique<LockedView>(std::move(lock), view);
}

}  // namespace quelix::platform
