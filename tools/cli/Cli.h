#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace evidor {

/// evidor-cli: the period, its totals, the validation and the charts of a program directory,
/// without windows. `args` excludes the program name. Returns the exit code: 0 done (nothing
/// mismatched), 1 mismatches found, 2 usage or file errors.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace evidor
