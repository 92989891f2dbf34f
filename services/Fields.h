#pragma once

#include <string>
#include <utility>
#include <vector>

namespace kavex::services {

// Named texts in their order: the elements of a quote, the fields of an alert.
using Fields = std::vector<std::pair<std::string, std::string>>;

// Each given field replaces the value of the field of the same name in place, or is added at the
// end when there is none.
void mergeFields(Fields& into, const Fields& given);

}  // namespace kavex::services
