#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

namespace kavex::sheet {
class Application;
}

namespace kavex::tool {

class CommandTable;

struct RunOptions {
    // Real time instead of simulated time (the clock is set by the group that owns it, in its
    // start hook).
    bool realtime = false;
    // Print each command line before running it (the demo does, so that a reader can follow).
    bool trace = false;
};

// What the commands of one script share. A fresh context (a fresh host) is made for every script.
//
// A group that needs state of its own either adds a member here (a small edit of this file and
// ScenarioContext.cpp) or, with no edit at all, uses extension<T>(): one T per context, made on
// first use (from ScenarioContext& when T has such a constructor, else by default) and destroyed
// before the host, the last made first.
class ScenarioContext {
  public:
    ScenarioContext(std::string file, RunOptions options, std::ostream& out);
    ~ScenarioContext();
    ScenarioContext(const ScenarioContext&) = delete;
    ScenarioContext& operator=(const ScenarioContext&) = delete;

    // The spreadsheet host of this script.
    sheet::Application& application();
    // The first failure that escaped an event handler since the last call ("" when none):
    // the host caught it and went on, but a script must not hold with it.
    std::string takeHandlerFailure();

    // Where commands print (print, show, echo).
    std::ostream& out() { return out_; }
    const RunOptions& options() const noexcept { return options_; }

    // The script being run and the line of the command running.
    const std::string& file() const noexcept { return file_; }
    int line() const noexcept { return line_; }
    void setLine(int line) noexcept { line_ = line; }
    // "file:line"
    std::string location() const;

    // The commands of the run (for commands that run other commands, like expect-error).
    const CommandTable& commandTable() const;
    void setCommandTable(const CommandTable& table) noexcept { table_ = &table; }

    // A file name from a script: "$TMP/x" is in a temporary folder made for this script (removed
    // with the context), "$DATA/x" in the project's data folder, a relative name is next to the
    // script, an absolute name is itself.
    std::filesystem::path resolvePath(const std::string& name);
    // The temporary folder of this script, made on first use.
    const std::filesystem::path& temporaryDirectory();

    template <class T>
    T& extension() {
        const std::type_index key(typeid(T));
        for (auto& slot : extensions_) {
            if (slot.key == key) {
                return static_cast<Holder<T>&>(*slot.holder).value;
            }
        }
        auto holder = std::make_unique<Holder<T>>(*this);
        T& value = holder->value;
        extensions_.push_back(Slot{key, std::move(holder)});
        return value;
    }

    // The extension if it was made, else nullptr.
    template <class T>
    T* findExtension() {
        const std::type_index key(typeid(T));
        for (auto& slot : extensions_) {
            if (slot.key == key) {
                return &static_cast<Holder<T>&>(*slot.holder).value;
            }
        }
        return nullptr;
    }

  private:
    struct HolderBase {
        virtual ~HolderBase() = default;
    };
    template <class T>
    struct Holder : HolderBase {
        template <class C>
        explicit Holder(C& context) : value(make(context)) {}
        template <class C>
        static T make(C& context) {
            if constexpr (std::is_constructible_v<T, C&>) {
                return T(context);
            } else {
                return T();
            }
        }
        T value;
    };
    struct Slot {
        std::type_index key;
        std::unique_ptr<HolderBase> holder;
    };

    std::string file_;
    RunOptions options_;
    std::ostream& out_;
    int line_ = 0;
    const CommandTable* table_ = nullptr;
    std::filesystem::path temporary_;
    // Declared before the extensions so that it outlives them.
    std::unique_ptr<sheet::Application> application_;
    std::string handlerFailure_;
    std::vector<Slot> extensions_;
};

}  // namespace kavex::tool
