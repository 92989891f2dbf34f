// The memory a workbook of 300,000 formula cells holds once opened: 150,000 rows of a number,
// `=A1*2+1` and `=B1+A1`. Each figure is measured in a process of its own (this program run
// again), as the peak resident size the system reports for it:
//   - bytes per formula cell: the peak of opening the workbook less the peak of a run that opens
//     nothing, over the 300,000 formula cells (goal <= 400);
//   - saving: the peak of opening and saving it again over the peak of opening it (goal <= 1.25).
// Prints each figure with its goal; the exit status says whether both goals were met.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace {

using kavex::sheet::Application;

constexpr int kRows = 150'000;
constexpr int kFormulaCells = 2 * kRows;
constexpr double kBytesGoal = 400;
constexpr double kSaveGoal = 1.25;

void build(const std::string& file) {
    Application app;
    app.setEnableEvents(false);
    app.setCalculation(kavex::sheet::xlCalculationManual);
    auto book = app.workbooks().add();
    auto sheet = app.activeSheet();
    for (int r = 1; r <= kRows; ++r) {
        sheet.cells(r, 1).setValue(static_cast<double>(r));
    }
    const std::string last = std::to_string(kRows);
    sheet.range("B1:B" + last).setFormula("=A1*2+1");
    sheet.range("C1:C" + last).setFormula("=B1+A1");
    app.setCalculation(kavex::sheet::xlCalculationAutomatic);
    book.saveAs(file);
}

void open(const std::string& file) {
    Application app;
    app.setEnableEvents(false);
    app.workbooks().open(file);
}

void openAndSave(const std::string& file, const std::string& copy) {
    Application app;
    app.setEnableEvents(false);
    app.workbooks().open(file).saveAs(copy);
}

// Runs this program again with the arguments; the child's peak resident size in bytes, or -1
// when it failed.
long long peakOfRun(const std::vector<std::string>& arguments) {
    const pid_t child = ::fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        std::vector<char*> argv;
        std::string self = "/proc/self/exe";
        argv.push_back(self.data());
        std::vector<std::string> copies = arguments;
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv("/proc/self/exe", argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    return static_cast<long long>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

int measure() {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kavex-bench-cell-memory-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "cells.json").string();
    const std::string copy = (folder / "copy.json").string();
    int result = 1;
    if (peakOfRun({"--build", file}) < 0) {
        std::printf("bytes per formula cell = n/a (the workbook could not be built)\n");
    } else {
        const long long nothing = peakOfRun({"--nothing"});
        const long long opened = peakOfRun({"--open", file});
        const long long saved = peakOfRun({"--save", file, copy});
        result = 0;
        if (nothing < 0 || opened < 0) {
            std::printf("bytes per formula cell = n/a (a run failed)\n");
            result = 1;
        } else {
            const double perCell = static_cast<double>(opened - nothing) / kFormulaCells;
            std::printf("opened: %.1f MB, a run that opens nothing: %.1f MB\n",
                        static_cast<double>(opened) / 1e6, static_cast<double>(nothing) / 1e6);
            std::printf("bytes per formula cell = %.0f (goal <= %.0f)\n", perCell, kBytesGoal);
            result |= perCell <= kBytesGoal ? 0 : 1;
        }
        if (saved < 0 || opened <= 0) {
            std::printf("save peak / open peak = n/a (a run failed)\n");
            result = 1;
        } else {
            const double ratio = static_cast<double>(saved) / static_cast<double>(opened);
            std::printf("saving: %.1f MB\n", static_cast<double>(saved) / 1e6);
            std::printf("save peak / open peak = %.2f (goal <= %.2f)\n", ratio, kSaveGoal);
            result |= ratio <= kSaveGoal ? 0 : 1;
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 2 && args[0] == "--build") {
            build(args[1]);
            return 0;
        }
        if (args.size() == 1 && args[0] == "--nothing") {
            Application app;
            return 0;
        }
        if (args.size() == 2 && args[0] == "--open") {
            open(args[1]);
            return 0;
        }
        if (args.size() == 3 && args[0] == "--save") {
            openAndSave(args[1], args[2]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return measure();
}
