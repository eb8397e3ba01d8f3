// What the inspector's panels are told about the selection when it chooses them: four flags, all off
// when made.
#pragma once

struct SelectionDescriptor {
    // Two or more shapes, not all of one class.
    bool hasMixed = false;
    // Two or more shapes.
    bool hasMultiple = false;
    // Some selected shape is not a connector.
    bool hasShape = false;
    // Some selected shape is a line.
    bool hasLine = false;
};
