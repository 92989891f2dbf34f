#include "services/Fields.h"

#include <algorithm>

namespace kavex::services {

void mergeFields(Fields& into, const Fields& given) {
    for (const auto& [name, value] : given) {
        const auto same = std::find_if(into.begin(), into.end(), [&name = name](const auto& field) {
            return field.first == name;
        });
        if (same == into.end()) {
            into.emplace_back(name, value);
        } else {
            same->second = value;
        }
    }
}

}  // namespace kavex::services
