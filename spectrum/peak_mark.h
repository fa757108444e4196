// The peak mark's picture: a downward arrow whose tip is the bottom centre of the picture.
#pragma once

#include <QImage>

// The arrow, 32 x 32 pixels (480 x 480 twips), transparent around it.
QImage PeakMarkImage();
