// The kavex program itself, run as a user runs it, under a limit on the size of the files it may
// write (ulimit -f, a quota).

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Application.h"
#include "tests/addin/core/TempFolder.h"

namespace kavex::tool {
namespace {

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Outcome {
    int status = 0;  // the wait status
    std::string output;
};

// Runs `kavex run SCRIPT` in a child process that may write files of at most `limit` bytes, the
// signal for a write past it at its default action, as a shell started by the user leaves it.
Outcome runUnderFileSizeLimit(const std::string& script, rlim_t limit) {
    std::array<int, 2> pipeEnds{};
    if (::pipe(pipeEnds.data()) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const std::string program = KAVEX_PROGRAM;
    const char* const argv[] = {program.c_str(), "run", script.c_str(), nullptr};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit limited{};
        ::getrlimit(RLIMIT_FSIZE, &limited);
        limited.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &limited);
        ::execv(argv[0], const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    Outcome outcome;
    std::array<char, 4096> buffer{};
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer.data(), buffer.size())) != 0;) {
        if (n > 0) {
            outcome.output.append(buffer.data(), static_cast<std::size_t>(n));
        } else if (errno != EINTR) {
            break;
        }
    }
    ::close(pipeEnds[0]);
    ::waitpid(child, &outcome.status, 0);
    return outcome;
}

// A save that grows past the limit fails as a save on a full disk does: the program goes on,
// shows the failure, gives up the close and keeps the workbook open with what was typed; the
// file keeps what it held, and no part of the new one is left beside it.
TEST(KavexProgram, ASavePastTheFileSizeLimitFailsAndTheProgramGoesOn) {
    addin::testing::TempFolder folder("kavex-file-size-limit");
    const std::filesystem::path book = folder.path() / "book.json";
    {
        sheet::Application app;
        sheet::Workbook workbook = app.workbooks().add();
        app.activeSheet().range("A1").setValue(base::Variant("old"));
        workbook.saveAs(book.string());
    }
    const std::string before = fileText(book);

    // The typed text alone is three times the limit; the add-in's own files fit under it.
    constexpr rlim_t kLimit = 64 * 1024;
    const std::string typed(3 * kLimit, 'x');
    const std::filesystem::path script = folder.path() / "close.kvs";
    std::ofstream(script) << "addin load\n"
                          << "open book.json\n"
                          << "type A1 " << typed << "\n"
                          << "answer Yes\n"
                          << "close\n"
                          << "expect-message \"Do you want to save the changes you made to "
                             "'book.json'?\"\n"
                          << "expect-message \"Cannot access '" << book.string() << "'.\"\n"
                          << "expect-message-style \"Microsoft Excel\" 16\n"
                          << "expect-active-workbook book.json\n"
                          << "expect A1 " << typed << "\n";

    const Outcome outcome = runUnderFileSizeLimit(script.string(), kLimit);
    ASSERT_TRUE(WIFEXITED(outcome.status))
        << "ended by signal " << (WIFSIGNALED(outcome.status) ? WTERMSIG(outcome.status) : 0);
    EXPECT_EQ(WEXITSTATUS(outcome.status), 0) << outcome.output;
    EXPECT_EQ(outcome.output, "1 script, all held\n");
    EXPECT_EQ(fileText(book), before);
    EXPECT_FALSE(std::filesystem::exists(book.string() + ".saving"));
}

}  // namespace
}  // namespace kavex::tool
