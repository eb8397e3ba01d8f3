// The document window's toolbar pictures: "<identifier>32x32" and "<identifier>24x24" for every plain
// item (the lock and delete items draw their own).
#pragma once

#include <QString>

// Writes them as PNG files into the folder at two pixels a point; answers how many could not be written.
int writeToolbarPictures(const QString& folder);
