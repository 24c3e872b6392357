#include "ui/TForm3.h"
