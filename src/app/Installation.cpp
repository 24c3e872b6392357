#include "app/Installation.h"
