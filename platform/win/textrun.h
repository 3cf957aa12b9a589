// Runs of text on one line (inside this layer only): their width and their drawing, with
// or without tab expansion.
#pragma once

#include "gdistate.h"

#include <cstddef>
#include <cstdint>

namespace qelwin {

// Where tabs stop, measured from a run's start (textdraw.h says how).
class TabStops {
public:
    TabStops(int count, const INT *stops);
    // The first stop after `position`.
    int64_t Next(int64_t position) const;

private:
    int count_ = 0;
    const INT *stops_ = nullptr;
    int64_t interval_ = 48;
};

// The width of the run, `tabs` NULL when tabs are boxes. `start` is where the run begins
// on its line, measured from where the tabs are counted.
int64_t RunWidth(const char *text, size_t count, const TabStops *tabs, int64_t start = 0);

// Draws the run with its cells' top left at (x, y) (device), clipped to `bounds`: the
// cells filled with the background colour first in OPAQUE mode, then the glyphs in the
// text colour. `tabOrigin` is the device x from which tabs are counted.
void DrawRun(DeviceContext &dc, int64_t x, int64_t y, const char *text, size_t count, const TabStops *tabs,
             int64_t tabOrigin, const RECT &bounds);

} // namespace qelwin
