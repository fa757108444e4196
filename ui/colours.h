// Turns the program's colour values into toolkit colours.
#pragma once

#include "twips.h"

#include <QColor>

// The toolkit colour for a colour value, system colours resolved from the application palette.
QColor ToQColor(Colour c);
