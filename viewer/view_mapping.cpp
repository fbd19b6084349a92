// SPDX-License-Identifier: MIT
#include "view_mapping.h"

#include <algorithm>
#include <cmath>

namespace quelix::viewer {

namespace {

// The pan along one axis: 0 when the picture fits, else within 0 ... the
// part that does not fit.
double ClampAxis(double pan, int picture, int widget, int zoom)
{
    const double visible = static_cast<double>(widget) / zoom;
    if (visible >= picture)
        return 0.0;
    return std::clamp(pan, 0.0, picture - visible);
}

}  // namespace

Placement PlacePicture(const ViewState& view, int pictureWidth, int pictureHeight, int widgetWidth,
                       int widgetHeight)
{
    Placement placement;
    if (pictureWidth <= 0 || pictureHeight <= 0 || widgetWidth <= 0 || widgetHeight <= 0)
        return placement;
    if (view.zoom <= 0) {
        placement.scale = std::min(static_cast<double>(widgetWidth) / pictureWidth,
                                   static_cast<double>(widgetHeight) / pictureHeight);
        placement.originX = (widgetWidth - pictureWidth * placement.scale) / 2.0;
        placement.originY = (widgetHeight - pictureHeight * placement.scale) / 2.0;
        return placement;
    }
    const int zoom = std::min(view.zoom, kMaxZoom);
    placement.scale = zoom;
    const double width = static_cast<double>(pictureWidth) * zoom;
    const double height = static_cast<double>(pictureHeight) * zoom;
    placement.originX = width <= widgetWidth ? (widgetWidth - width) / 2.0 : -view.panX * zoom;
    placement.originY = height <= widgetHeight ? (widgetHeight - height) / 2.0 : -view.panY * zoom;
    return placement;
}

ViewState ClampPan(ViewState view, int pictureWidth, int pictureHeight, int widgetWidth, int widgetHeight)
{
    view.zoom = std::clamp(view.zoom, 0, kMaxZoom);
    if (view.zoom == 0 || pictureWidth <= 0 || pictureHeight <= 0 || widgetWidth <= 0 || widgetHeight <= 0) {
        view.panX = view.panY = 0.0;
        return view;
    }
    view.panX = ClampAxis(view.panX, pictureWidth, widgetWidth, view.zoom);
    view.panY = ClampAxis(view.panY, pictureHeight, widgetHeight, view.zoom);
    return view;
}

ViewState PanBy(const ViewState& view, double dx, double dy, int pictureWidth, int pictureHeight,
                int widgetWidth, int widgetHeight)
{
    ViewState moved = view;
    if (moved.zoom > 0) {
        moved.panX -= dx / moved.zoom;
        moved.panY -= dy / moved.zoom;
    }
    return ClampPan(moved, pictureWidth, pictureHeight, widgetWidth, widgetHeight);
}

ViewState ZoomAt(const ViewState& view, int zoom, double wx, double wy, int pictureWidth, int pictureHeight,
                 int widgetWidth, int widgetHeight)
{
    const Placement before = PlacePicture(view, pictureWidth, pictureHeight, widgetWidth, widgetHeight);
    // The picture point (in fractional pixels) under the widget point.
    const double px = (wx - before.originX) / before.scale;
    const double py = (wy - before.originY) / before.scale;
    ViewState zoomed;
    zoomed.zoom = std::clamp(zoom, 0, kMaxZoom);
    if (zoomed.zoom > 0) {
        zoomed.panX = px - wx / zoomed.zoom;
        zoomed.panY = py - wy / zoomed.zoom;
    }
    return ClampPan(zoomed, pictureWidth, pictureHeight, widgetWidth, widgetHeight);
}

bool WidgetToPicture(const Placement& placement, double wx, double wy, int pictureWidth, int pictureHeight,
                     int& px, int& py)
{
    if (placement.scale <= 0.0)
        return false;
    const double x = std::floor((wx - placement.originX) / placement.scale);
    const double y = std::floor((wy - placement.originY) / placement.scale);
    if (x < 0 || y < 0 || x >= pictureWidth || y >= pictureHeight)
        return false;
    px = static_cast<int>(x);
    py = static_cast<int>(y);
    return true;
}

void PictureToSensor(int px, int py, int pictureWidth, int pictureHeight, int windowLeft, int windowTop,
                     bool mirrorH, bool mirrorV, int& sensorX, int& sensorY)
{
    sensorX = windowLeft + (mirrorH ? pictureWidth - 1 - px : px);
    sensorY = windowTop + (mirrorV ? pictureHeight - 1 - py : py);
}

}  // namespace quelix::viewer
