#pragma once

namespace zelvor::cli {

// Each command takes the arguments after its name and returns the process exit status.
int RunFetch(int argc, char** argv);
int RunMatch(int argc, char** argv);
int RunCollect(int argc, char** argv);
int RunParse(int argc, char** argv);

}  // namespace zelvor::cli
