#include "platform/spreadsheet/Palette.h"

#include <array>
#include <climits>

#include "platform/base/PlatformError.h"

namespace kavex::sheet {

namespace {

// The default palette as 0xRRGGBB, index 1 first.
constexpr std::array<long, 56> kPalette = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,  // 1-8
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,  // 9-16
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,  // 17-24
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,  // 25-32
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,  // 33-40
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,  // 41-48
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,  // 49-56
};

// 0xRRGGBB to the host's colour value, red in the low byte.
constexpr long toColor(long rrggbb) {
    return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

}  // namespace

long paletteColor(int index) {
    if (index < 1 || index > 56) {
        throw base::PlatformError(base::errors::ApplicationDefined,
                                  "Unable to set the ColorIndex property");
    }
    return toColor(kPalette[static_cast<std::size_t>(index - 1)]);
}

int paletteIndex(long color) {
    int best = 1;
    long bestDistance = LONG_MAX;
    for (int i = 1; i <= 56; ++i) {
        const long c = paletteColor(i);
        const long dr = (c & 0xFF) - (color & 0xFF);
        const long dg = ((c >> 8) & 0xFF) - ((color >> 8) & 0xFF);
        const long db = ((c >> 16) & 0xFF) - ((color >> 16) & 0xFF);
        const long distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

}  // namespace kavex::sheet
