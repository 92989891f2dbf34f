#include <iostream>

#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet::detail {

void AppState::handlerFailed(std::string_view event, const std::exception_ptr& failure) const {
    EventFailure report{std::string(event), -1, "an unknown failure"};
    try {
        std::rethrow_exception(failure);
    } catch (const base::PlatformError& error) {
        report.number = error.number();
        report.description = error.description();
    } catch (const std::exception& error) {
        report.description = error.what();
    } catch (...) {
    }
    if (eventFailureReporter) {
        // The reporter is the caller's code: its own failure must not escape either.
        try {
            eventFailureReporter(report);
            return;
        } catch (...) {
        }
    }
    std::cerr << "The " << report.event << " handler failed: (" << report.number << ") "
              << report.description << "\n";
}

}  // namespace kavex::sheet::detail
