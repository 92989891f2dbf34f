#include "addin/commandbars/RefreshIntervals.h"

namespace kavex::addin::commandbars {

std::optional<std::string_view> RefreshIntervalText(short seconds) {
    for (const RefreshInterval& interval : kRefreshIntervals) {
        if (interval.seconds == seconds) {
            return interval.text;
        }
    }
    return std::nullopt;
}

}  // namespace kavex::addin::commandbars
