#pragma once

#include <map>
#include <string>
#include <vector>

namespace zelvor::cli {

// Options of one command: flags ("--global"), valued options ("--method GET", repeatable) and
// positional arguments, in the order given.
struct Args {
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values;
    std::vector<std::string> flags;
    std::string error;  // set when the command line cannot be read

    bool Has(const std::string& flag) const;
    // The last value given for the option, or fallback.
    std::string Value(const std::string& option, const std::string& fallback = "") const;
    const std::vector<std::string>& All(const std::string& option) const;
};

// valued: the options that take a value; flags: those that do not. Anything else starting
// with "--" is an error.
Args ParseArgs(int argc, char** argv, int first, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags);

}  // namespace zelvor::cli
