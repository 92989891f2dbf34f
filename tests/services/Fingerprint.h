#pragma once

#include <cstdint>
#include <string_view>

namespace kavex::services::testing {

// A fingerprint of texts that does not depend on the standard library's hash, for pinning down
// large outputs by one number.
class Fingerprint {
  public:
    void add(std::string_view text) {
        for (const char c : text) {
            value_ ^= static_cast<unsigned char>(c);
            value_ *= 0x100000001B3ULL;
        }
        value_ ^= 0xFFU;  // a separator no text holds
        value_ *= 0x100000001B3ULL;
    }
    std::uint64_t value() const { return value_; }

  private:
    std::uint64_t value_ = 0xCBF29CE484222325ULL;
};

}  // namespace kavex::services::testing
