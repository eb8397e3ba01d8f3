// The pictures controls load by their state: keyboards and the switch's two states.
#pragma once

#include <QString>

// Writes them as PNG files into the folder at two pixels a point; answers how many could not be written.
int writeScreenPictures(const QString& folder);
