// The world overview of the Map tab: its picture (drawn here, an equirectangular ocean field with a
// graticule) and where the map view's viewport is framed on it.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include "mapview/core/MapViewApi.h"

// The frame of a viewport on an equirectangular world picture of the given size, 2 pixels outside the
// viewport on every side: left = w × (Left + 180°) / 360° - 2, right = w × (Right + 180°) / 360° + 2,
// top = h - h × (Top + 90°) / 180° - 2, bottom = h - h × (Bottom + 90°) / 180° + 2, each product and
// quotient in 64 bits rounded half away from zero. The rectangle runs from (left, top) to (right, bottom)
// inclusive (QRect's two-point form).
QRect OverviewFrame(const MapViewPort& port, QSize picture);

// The world picture: ocean shades deepening towards the poles, a graticule every 30 degrees, the equator
// and the prime meridian stronger.
QImage MakeWorldPicture(QSize size);
