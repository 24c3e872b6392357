// TiledBackground: the picture every Brix window is painted with, tile by tile.
#pragma once

class QPaintDevice;
class QWidget;
