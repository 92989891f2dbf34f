#pragma once

#include <stdexcept>
#include <string>

namespace kavex::tool {

// The script cannot go on: wrong arguments, an unknown name, a reference that does not resolve.
// The run stops with exit status 2 and prints file:line: reason.
class ScriptError : public std::runtime_error {
  public:
    explicit ScriptError(const std::string& reason) : std::runtime_error(reason) {}
};

// An expectation did not hold. The run stops with exit status 1 and prints the file, the line,
// what was expected and what was found.
class ExpectationFailed : public std::runtime_error {
  public:
    ExpectationFailed(std::string expected, std::string found, std::string subject = {})
        : std::runtime_error("expectation failed"),
          expected_(std::move(expected)),
          found_(std::move(found)),
          subject_(std::move(subject)) {}

    const std::string& expected() const noexcept { return expected_; }
    const std::string& found() const noexcept { return found_; }
    // What was looked at ("Sheet1!A1", "font.bold of Sheet1!B2"); may be empty.
    const std::string& subject() const noexcept { return subject_; }

  private:
    std::string expected_;
    std::string found_;
    std::string subject_;
};

// Throws ExpectationFailed unless found == expected.
inline void expectEqual(const std::string& subject, const std::string& expected,
                        const std::string& found) {
    if (found != expected) {
        throw ExpectationFailed(expected, found, subject);
    }
}

}  // namespace kavex::tool
