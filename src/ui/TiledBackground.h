// TiledBackground: the picture every Brix window is painted with, tile by tile.
//
// Rows start at the top and go down by the picture's height while they are inside the area;
// in each row the tiles start at the left and go right by the picture's width. Each tile is
// drawn on its own, and a tile that cannot be drawn does not stop the others; the caller
// learns that something failed and decides what to do (most windows close themselves).
#pragma once

#include <QPixmap>
#include <QSize>

class QPainter;
class QWidget;

// Paints `tile` over the area (0, 0)-(area). Returns true when any tile failed to draw: the
// painter is not active or the picture is null. A null picture has no size to step by, so
// nothing is drawn at all.
bool PaintTiles(QPainter& painter, const QPixmap& tile, const QSize& area);

// For a paintEvent: paints the whole of `widget` with `tile` (the stone of Art.h unless given).
// Returns true when any tile failed.
bool PaintTiledBackground(QWidget& widget, const QPixmap& tile);
bool PaintTiledBackground(QWidget& widget);
