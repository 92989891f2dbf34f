#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "services/Server.h"
#include "tools/kavex/runner/Commands.h"

namespace kavex::tool {
namespace {

struct Outcome {
    int status;
    std::string err;
};

Outcome serve(const std::vector<std::string>& args) {
    ::testing::internal::CaptureStderr();
    const int status = runServe(args);
    return {status, ::testing::internal::GetCapturedStderr()};
}

TEST(ServeCommandTest, AMissingOrBadValueIsNamed) {
    const Outcome missing = serve({"--port"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "kavex serve: --port needs a value (a port number from 0 to 65535)\n");
    const Outcome bad = serve({"--port", "80x"});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "kavex serve: --port needs a number from 0 to 65535, not '80x'\n");
    const Outcome unknown = serve({"--verbose"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.rfind("kavex serve: unknown argument '--verbose'\n", 0), 0U);
}

TEST(ServeCommandTest, APortInUseIsRefusedWithTheSystemsReason) {
    services::Server taken;
    taken.start();
    const Outcome outcome = serve({"--log", "--port", std::to_string(taken.port())});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "kavex serve: cannot listen on 127.0.0.1:" +
                               std::to_string(taken.port()) + ": Address already in use\n");
}

}  // namespace
}  // namespace kavex::tool
