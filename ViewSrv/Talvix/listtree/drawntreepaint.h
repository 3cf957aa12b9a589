// The paint context of the owner-drawn tree: the list's, with the item being painted.
#pragma once

#include "drawnlistrecords.h"
#include "drawntreenode.h"

struct DrawnTreePaintContext : public DrawnListPaintContext {
    TV_ITEM treeItem{};
    // The list's user state of the row: valid, value, mask.
    UINT extendedState[3] = {0, 0, 0};
    _Node *node = nullptr;
};
