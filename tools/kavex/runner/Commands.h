#pragma once

#include <string>
#include <vector>

namespace kavex::tool {

// The sub-commands of the kavex program. Each takes the arguments after its own name and returns
// the process exit status.
int runDemo(const std::vector<std::string>& args);
int runScenarios(const std::vector<std::string>& args);
int runServe(const std::vector<std::string>& args);
int runInitDb(const std::vector<std::string>& args);

}  // namespace kavex::tool
