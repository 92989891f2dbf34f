#pragma once
// What the memory benchmarks share: a workbook of 300,000 formula cells (150,000 rows of a
// number, `=A1*2+1` and `=B1+A1`) built, opened, opened and recalculated, or opened and saved,
// each in a process of its own (the benchmark program run again), and the peak resident size the
// system reports for it.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"

namespace kavex::bench::memory {

using sheet::Application;

constexpr int kRows = 150'000;
constexpr int kFormulaCells = 2 * kRows;

inline void build(const std::string& file) {
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

inline void open(const std::string& file) {
    Application app;
    app.setEnableEvents(false);
    app.workbooks().open(file);
}

// Opened, then a number typed over, so that the cells that read it are recalculated: the first
// recalculation, which needs the index of which cells read which, as every later one does.
inline void openAndRecalculate(const std::string& file) {
    Application app;
    app.setEnableEvents(false);
    app.workbooks().open(file);
    sheet::Range first = app.activeSheet().cells(1, 1);
    first.setValue(2.0);
    if (first.offset(0, 2).value().number() != 2.0 * 2 + 1 + 2) {
        throw std::runtime_error("the cells that read A1 were not recalculated");
    }
}

inline void openAndSave(const std::string& file, const std::string& copy) {
    Application app;
    app.setEnableEvents(false);
    app.workbooks().open(file).saveAs(copy);
}

// Runs this program again with the arguments; the child's peak resident size in bytes, or -1
// when it failed.
inline long long peakOfRun(const std::vector<std::string>& arguments) {
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

// The runs a measurement asks for: the peaks in bytes of the runs of this program named by their
// arguments, after the workbook was built in a scratch folder; -1 for a run that failed.
struct Peaks {
    long long nothing = -1;
    long long opened = -1;
    long long recalculated = -1;
    long long saved = -1;
};

// Answers the runs of this program that build, open or save the workbook (true: this was one;
// status is its exit status).
inline bool runStep(int argc, char** argv, int& status) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    status = 0;
    try {
        if (args.size() == 2 && args[0] == "--build") {
            build(args[1]);
            return true;
        }
        if (args.size() == 1 && args[0] == "--nothing") {
            Application app;
            return true;
        }
        if (args.size() == 2 && args[0] == "--open") {
            open(args[1]);
            return true;
        }
        if (args.size() == 2 && args[0] == "--recalculate") {
            openAndRecalculate(args[1]);
            return true;
        }
        if (args.size() == 3 && args[0] == "--save") {
            openAndSave(args[1], args[2]);
            return true;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
        return true;
    }
    return false;
}

// The runs a measurement may ask for besides the one that opens nothing.
struct Runs {
    bool open = false;
    bool recalculate = false;
    bool save = false;
};

// Builds the workbook, then measures the runs asked for.
inline Peaks measure(Runs runs) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("kavex-bench-memory-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "cells.json").string();
    const std::string copy = (folder / "copy.json").string();
    Peaks peaks;
    if (peakOfRun({"--build", file}) >= 0) {
        peaks.nothing = peakOfRun({"--nothing"});
        if (runs.open) {
            peaks.opened = peakOfRun({"--open", file});
        }
        if (runs.recalculate) {
            peaks.recalculated = peakOfRun({"--recalculate", file});
        }
        if (runs.save) {
            peaks.saved = peakOfRun({"--save", file, copy});
        }
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return peaks;
}

}  // namespace kavex::bench::memory
