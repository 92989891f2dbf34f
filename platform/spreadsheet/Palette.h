#pragma once

namespace kavex::sheet {

// The default 56-colour palette: index 1..56 to an RGB value (red in the low byte).
long paletteColor(int index);
// The palette index of a colour: the exact entry, else the nearest one.
int paletteIndex(long color);

}  // namespace kavex::sheet
