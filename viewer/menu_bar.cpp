// SPDX-License-Identifier: MIT
// The menus: files (snap, record, mask files), the camera (the library's
// three settings dialogs, calibration, the attached cameras, looked for
// again whenever the menu opens) and the view (fit, 1:1 to 8:1, the whole
// sensor).
#include <gdk/gdkx.h>

#include <string>

#include "texts.h"
#include "viewer_app.h"

namespace quelix::viewer {

namespace {

using DialogCall = int32_t (*)(int32_t, QUELIX_HWND);

struct DialogItem {
    Viewer* viewer;
    DialogCall open;
};

struct ZoomItem {
    Viewer* viewer;
    int zoom;
};

struct DeviceItem {
    Viewer* viewer;
    int device;
};

GtkWidget* AddItem(GtkWidget* menu, const char* label, GCallback callback, gpointer data)
{
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(label);
    g_signal_connect_swapped(item, "activate", callback, data);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    return item;
}

GtkWidget* AddMenu(GtkWidget* bar, const char* label)
{
    GtkWidget* item = gtk_menu_item_new_with_mnemonic(label);
    GtkWidget* menu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
    gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
    return menu;
}

// The viewer's window as the dialogs' parent, when it is an X11 window.
QUELIX_HWND ParentWindow(Viewer& viewer)
{
    GdkWindow* window = gtk_widget_get_window(viewer.window);
    if (window == nullptr || !GDK_IS_X11_WINDOW(window))
        return nullptr;
    return QuelixPlatform_WrapX11Window(GDK_DISPLAY_XDISPLAY(gdk_window_get_display(window)),
                                        GDK_WINDOW_XID(window));
}

void RunDialog(DialogItem* item)
{
    Viewer& viewer = *item->viewer;
    if (viewer.dialogOpen)
        return;
    // The stream format dialog stops the preview, which would end a recording.
    if (item->open == Quelix_SetCameraDlg && ActionsRecording(viewer.actions)) {
        StatusBarSay(viewer.status, T(Text::Recording));
        return;
    }
    viewer.dialogOpen = true;
    QUELIX_HWND parent = ParentWindow(viewer);
    // The dialog runs here until it closes; the picture goes on meanwhile.
    item->open(viewer.source->Camera(), parent);
    if (parent != nullptr)
        QuelixPlatform_DestroyWindow(parent);
    viewer.dialogOpen = false;
    ControlsRefresh(viewer.controls);
}

void OpenDialog(DialogItem* item)
{
    g_idle_add(G_SOURCE_FUNC(+[](gpointer data) {
                   RunDialog(static_cast<DialogItem*>(data));
                   return G_SOURCE_REMOVE;
               }),
               item);
}

void SetZoom(ZoomItem* item)
{
    PictureSetZoom(item->viewer->picture, item->zoom);
}

void ChooseDevice(DeviceItem* item)
{
    Viewer& viewer = *item->viewer;
    if (item->device == viewer.source->Device())
        return;
    // The choice is told in the status bar; a device that cannot be set up
    // leaves the viewer on the one it had.
    const int device = item->device;
    bool switched = false;
    viewer.source->Restart([&] { switched = Quelix_SetDeviceNumber(viewer.source->Camera(), device) == 1; });
    if (switched)
        viewer.source->SetDevice(device);
    char name[QUELIX_DEVICE_NAME_SIZE] = {};
    if (switched)
        Quelix_GetDeviceName(viewer.source->Camera(), device, name, sizeof name);
    StatusBarSay(viewer.status,
                 switched ? std::string(name) : ErrorInWords(QUELIX_ERR_NO_DEVICE, JapaneseChosen()));
    ControlsRefresh(viewer.controls);
}

// Fills the device menu with the cameras attached now.
void FillDevices(GtkWidget*, Viewer* viewer)
{
    GtkWidget* menu = viewer->deviceMenu;
    GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
    for (GList* child = children; child != nullptr; child = child->next)
        gtk_widget_destroy(GTK_WIDGET(child->data));
    g_list_free(children);
    const auto devices = viewer->source->Devices();
    GSList* group = nullptr;
    for (const auto& [number, name] : devices) {
        GtkWidget* item = gtk_radio_menu_item_new_with_label(group, name.c_str());
        group = gtk_radio_menu_item_get_group(GTK_RADIO_MENU_ITEM(item));
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), number == viewer->source->Device());
        auto* data = new DeviceItem{viewer, number};
        g_signal_connect_swapped(item, "activate", G_CALLBACK(+[](DeviceItem* d) { ChooseDevice(d); }), data);
        g_signal_connect_swapped(item, "destroy", G_CALLBACK(+[](DeviceItem* d) { delete d; }), data);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    if (devices.empty()) {
        GtkWidget* item = gtk_menu_item_new_with_label(T(Text::MenuNoDevice));
        gtk_widget_set_sensitive(item, FALSE);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    gtk_widget_show_all(menu);
}

}  // namespace

GtkWidget* CreateMenuBar(Viewer& viewer, GtkAccelGroup* accelerators)
{
    GtkWidget* bar = gtk_menu_bar_new();
    GtkWidget* file = AddMenu(bar, T(Text::MenuFile));
    GtkWidget* snap =
        AddItem(file, T(Text::MenuSnap), G_CALLBACK(+[](Viewer* v) { RunSoon(*v, ActionSnap); }), &viewer);
    gtk_widget_add_accelerator(snap, "activate", accelerators, GDK_KEY_s, GDK_CONTROL_MASK,
                               GTK_ACCEL_VISIBLE);
    AddItem(file, T(Text::MenuRecord), G_CALLBACK(+[](Viewer* v) { RunSoon(*v, ActionRecord); }), &viewer);
    gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
    AddItem(file, T(Text::MenuLoadMask), G_CALLBACK(+[](Viewer* v) { RunSoon(*v, ActionLoadMask); }),
            &viewer);
    AddItem(file, T(Text::MenuSaveMask), G_CALLBACK(+[](Viewer* v) { RunSoon(*v, ActionSaveMask); }),
            &viewer);
    gtk_menu_shell_append(GTK_MENU_SHELL(file), gtk_separator_menu_item_new());
    GtkWidget* quit =
        AddItem(file, T(Text::MenuQuit), G_CALLBACK(+[](Viewer*) { gtk_main_quit(); }), &viewer);
    gtk_widget_add_accelerator(quit, "activate", accelerators, GDK_KEY_q, GDK_CONTROL_MASK,
                               GTK_ACCEL_VISIBLE);

    GtkWidget* camera = AddMenu(bar, T(Text::MenuCamera));
    static DialogItem dialogs[3];
    dialogs[0] = {&viewer, Quelix_SetAnalogDlg};
    dialogs[1] = {&viewer, Quelix_SetImageDlg};
    dialogs[2] = {&viewer, Quelix_SetCameraDlg};
    AddItem(camera, T(Text::MenuCameraDialog), G_CALLBACK(OpenDialog), &dialogs[0]);
    AddItem(camera, T(Text::MenuImageDialog), G_CALLBACK(OpenDialog), &dialogs[1]);
    AddItem(camera, T(Text::MenuStreamDialog), G_CALLBACK(OpenDialog), &dialogs[2]);
    gtk_menu_shell_append(GTK_MENU_SHELL(camera), gtk_separator_menu_item_new());
    AddItem(camera, T(Text::MenuCalibrate), G_CALLBACK(+[](Viewer* v) { RunSoon(*v, ActionCalibrate); }),
            &viewer);
    gtk_menu_shell_append(GTK_MENU_SHELL(camera), gtk_separator_menu_item_new());
    GtkWidget* devices = gtk_menu_item_new_with_mnemonic(T(Text::MenuDevice));
    viewer.deviceMenu = gtk_menu_new();
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(devices), viewer.deviceMenu);
    gtk_menu_shell_append(GTK_MENU_SHELL(camera), devices);
    // Looked for again at each opening: cameras come and go.
    g_signal_connect(camera, "show", G_CALLBACK(FillDevices), &viewer);

    GtkWidget* view = AddMenu(bar, T(Text::MenuView));
    static ZoomItem zooms[5];
    const char* zoomLabels[] = {T(Text::MenuFit), "_1:1", "_2:1", "_4:1", "_8:1"};
    const int zoomValues[] = {0, 1, 2, 4, 8};
    for (int i = 0; i < 5; ++i) {
        zooms[i] = {&viewer, zoomValues[i]};
        AddItem(view, zoomLabels[i], G_CALLBACK(SetZoom), &zooms[i]);
    }
    gtk_menu_shell_append(GTK_MENU_SHELL(view), gtk_separator_menu_item_new());
    AddItem(view, T(Text::MenuFullSensor), G_CALLBACK(+[](Viewer* v) { ApplyFullSensor(*v); }), &viewer);
    return bar;
}

}  // namespace quelix::viewer
