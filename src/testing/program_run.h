#pragma once

// Runs the real converter as a user starts it: in a directory of its own, with
// no arguments.

#include <string>

namespace quendrix {

struct ProgramRun {
  int exitCode = -1;  // -1 when the program did not end by itself
  std::string stderrText;
};

// Runs `program` in `directory`. `environment` holds assignments of the
// shell's form (NAME='value' ...) that the program gets besides this
// process's environment.
ProgramRun RunProgramIn(const std::string& program, const std::string& directory,
                        const std::string& environment = "");

}  // namespace quendrix
