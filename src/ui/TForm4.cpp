#include "ui/TForm4.h"
