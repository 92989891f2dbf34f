#include "tools/kavex/runner/ScenarioContext.h"

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "platform/forms/DialogDriver.h"
#include "platform/forms/MsgBox.h"
#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandTable.h"
#include "tools/kavex/runner/Database.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

namespace {

std::filesystem::path makeTemporaryDirectory() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / ("kavex-run-" + std::to_string(::getpid()) + "-" + std::to_string(stamp) + "-" +
                    std::to_string(counter++));
        if (std::filesystem::create_directory(candidate)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot make a temporary folder under " + base.string());
}

}  // namespace

ScenarioContext::ScenarioContext(std::string file, RunOptions options, std::ostream& out)
    : file_(std::move(file)), options_(options), out_(out) {}

ScenarioContext::~ScenarioContext() {
    // The last made first: a later extension may use an earlier one.
    while (!extensions_.empty()) {
        extensions_.pop_back();
    }
    application_.reset();
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(temporary_, ignored);
    }
}

sheet::Application& ScenarioContext::application() {
    if (!application_) {
        application_ = std::make_unique<sheet::Application>();
        // A workbook saved without a name lands in this script's own folder, not the caller's.
        application_->setDefaultFilePath(temporaryDirectory().string());
        // The Save As dialog is a dialog like the others: the driver (scripted or a person)
        // answers it.
        application_->setSaveAsDriver(
            [] { return forms::dialogDriver().saveAsFilename("", "", "Save As"); });
        // So is the host's own save prompt of a close: a message box answered Yes, No or Cancel.
        application_->setSavePromptDriver([](const std::string& prompt, const std::string& title) {
            switch (forms::MsgBox(prompt, forms::vbYesNoCancel | forms::vbExclamation, title)) {
                case forms::vbYes:
                    return sheet::SaveChoice::save;
                case forms::vbNo:
                    return sheet::SaveChoice::dontSave;
                default:
                    return sheet::SaveChoice::cancel;
            }
        });
        // A handler's failure is kept for the runner, which stops the script at its line.
        application_->setEventFailureReporter([this](const sheet::EventFailure& failure) {
            if (handlerFailure_.empty()) {
                handlerFailure_ = "the " + failure.event + " handler failed: (" +
                                  std::to_string(failure.number) + ") " + failure.description;
            }
        });
    }
    return *application_;
}

std::string ScenarioContext::takeHandlerFailure() {
    return std::exchange(handlerFailure_, std::string());
}

std::string ScenarioContext::location() const {
    return file_ + ":" + std::to_string(line_);
}

const CommandTable& ScenarioContext::commandTable() const {
    if (table_ == nullptr) {
        throw std::logic_error("the scenario context has no command table");
    }
    return *table_;
}

const std::filesystem::path& ScenarioContext::temporaryDirectory() {
    if (temporary_.empty()) {
        temporary_ = makeTemporaryDirectory();
    }
    return temporary_;
}

std::filesystem::path ScenarioContext::resolvePath(const std::string& name) {
    if (name.empty()) {
        throw ScriptError("a file name is empty");
    }
    const auto under = [&name](std::string_view prefix) {
        return name == prefix || name.starts_with(std::string(prefix) + "/");
    };
    if (under("$TMP")) {
        return temporaryDirectory() / name.substr(std::min<std::size_t>(name.size(), 5));
    }
    if (under("$DATA")) {
        return dataDirectory() / name.substr(std::min<std::size_t>(name.size(), 6));
    }
    const std::filesystem::path path(name);
    if (path.is_absolute()) {
        return path;
    }
    return std::filesystem::path(file_).parent_path() / path;
}

}  // namespace kavex::tool
