#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kavex::tool {

// The arguments of one script command (the tokens after its name), with checked conversions that
// throw ScriptError naming the command and the argument.
class CommandArgs {
  public:
    CommandArgs(std::string command, std::vector<std::string> tokens)
        : command_(std::move(command)), tokens_(std::move(tokens)) {}

    const std::string& command() const noexcept { return command_; }
    std::size_t size() const noexcept { return tokens_.size(); }
    bool empty() const noexcept { return tokens_.empty(); }
    // Throws ScriptError when there is no argument at that index.
    const std::string& operator[](std::size_t index) const;
    // The argument, or fallback when there is none.
    std::string get(std::size_t index, const std::string& fallback) const;
    std::span<const std::string> from(std::size_t index) const;
    const std::vector<std::string>& all() const noexcept { return tokens_; }

    // A whole number; what names the argument in the message ("SECONDS").
    long long integer(std::size_t index, const char* what) const;
    double number(std::size_t index, const char* what) const;
    // true/false, yes/no, on/off, 1/0 (any case).
    bool flag(std::size_t index, const char* what) const;
    // KEY=VALUE pairs from index on; the value may be empty, the key may not.
    std::vector<std::pair<std::string, std::string>> keyValues(std::size_t index) const;

    // A ScriptError "COMMAND: message".
    [[noreturn]] void fail(const std::string& message) const;

  private:
    std::string command_;
    std::vector<std::string> tokens_;
};

// The words a script may write for a Boolean: true/false, yes/no, on/off, 1/0 (any case);
// nullopt for any other text.
std::optional<bool> flagWord(std::string_view text);

}  // namespace kavex::tool
