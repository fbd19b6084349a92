// SPDX-License-Identifier: MIT
// Where the picture lies in its widget: scaled to fit, or at 1:1 to 8:1
// with a pan offset, and the mapping of widget points to sensor pixels and
// back.
#pragma once

namespace quelix::viewer {

inline constexpr int kMaxZoom = 8;

struct ViewState {
    int zoom = 0;       // 0: fit the widget; 1 to kMaxZoom: screen pixels per picture pixel
    double panX = 0.0;  // picture pixel at the widget's left edge (zoomed views)
    double panY = 0.0;  // picture pixel at the widget's top edge
};

// The picture's placement: picture pixel (px, py) covers widget points
// originX + px * scale ... originX + (px + 1) * scale.
struct Placement {
    double scale = 1.0;
    double originX = 0.0;
    double originY = 0.0;
};

// The placement of a picture of pictureWidth x pictureHeight in a widget of
// widgetWidth x widgetHeight. Fit keeps the aspect and centres; a zoomed
// picture smaller than the widget is centred, a larger one starts at the pan.
Placement PlacePicture(const ViewState& view, int pictureWidth, int pictureHeight, int widgetWidth,
                       int widgetHeight);

// Holds the pan so that a zoomed picture covers as much of the widget as it can.
ViewState ClampPan(ViewState view, int pictureWidth, int pictureHeight, int widgetWidth, int widgetHeight);

// Moves the pan by a drag of (dx, dy) widget points, clamped.
ViewState PanBy(const ViewState& view, double dx, double dy, int pictureWidth, int pictureHeight,
                int widgetWidth, int widgetHeight);

// Changes the zoom keeping the picture pixel under widget point (wx, wy)
// where it is; zoom is held to 0 (fit) ... kMaxZoom.
ViewState ZoomAt(const ViewState& view, int zoom, double wx, double wy, int pictureWidth, int pictureHeight,
                 int widgetWidth, int widgetHeight);

// The picture pixel under widget point (wx, wy); false outside the picture.
bool WidgetToPicture(const Placement& placement, double wx, double wy, int pictureWidth, int pictureHeight,
                     int& px, int& py);

// A picture pixel's position on the sensor: the capture window's offset
// added, and the mirrors undone (a mirrored picture shows sensor column
// width - 1 - x at x).
void PictureToSensor(int px, int py, int pictureWidth, int pictureHeight, int windowLeft, int windowTop,
                     bool mirrorH, bool mirrorV, int& sensorX, int& sensorY);

}  // namespace quelix::viewer
