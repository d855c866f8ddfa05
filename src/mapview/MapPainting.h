#pragma once
// Painting of the map panel's contents, shared by the panel and the exported picture: the
// position button, the visible markers in z-order at their screen size, optional name labels,
// and the picture of the map at 100 % with its markers.

#include "mapview/MapView.h"
#include "mapview/MarkerLayer.h"

#include <QImage>

class QFont;
class QPainter;

// `font` followed by the families that hold emoji and other signs (those installed are tried for
// the characters `font` lacks), so that a name with them does not show empty boxes.
QFont WithSignFonts(const QFont& font);

// The position button, when shown, as `view` places it.
void PaintPositionButton(QPainter& painter, const MarkerLayer& layer, const MapView& view);

// Every visible marker meeting the screen rectangle `area`, bottom to top; with `labels` each
// marker's name is written beside it; with `selection` selected markers get their ring.
void PaintMarkers(QPainter& painter, const MarkerLayer& layer, const QRect& area, const MapView& view,
                  bool labels = false, bool selection = false);

// The map image at 100 % as the panel holds it (whole, its key colour already transparent) with
// every visible marker as the panel draws it, without the position button; ARGB32.
QImage RenderMapPicture(const QImage& map, const MarkerLayer& layer, bool labels);
