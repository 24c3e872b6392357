#include "ui/TiledBackground.h"
