#include "testing/program_run.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quendrix {

ProgramRun RunProgramIn(const std::string& program, const std::string& directory,
                        const std::string& environment) {
  // Standard error goes to a file beside the job's, read back and removed.
  const std::string errors = directory + "/.stderr";
  const std::string command = "cd '" + directory + "' && " + environment + " '" + program +
                              "' 2> '" + errors + "'";
  const int status = std::system(command.c_str());
  ProgramRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(errors, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  run.stderrText = text.str();
  in.close();
  std::remove(errors.c_str());
  return run;
}

}  // namespace quendrix
