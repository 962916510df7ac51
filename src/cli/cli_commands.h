// The commands of tessaryc over the engine: backup, compare, actions, undo and track.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tessary::cli {

struct CliIo {
  std::istream& in;
  std::ostream& out;  // results: text, or one JSON document with --json
  std::ostream& err;  // progress, messages, the one-line error
  bool inputIsConsole = false;
  bool errorIsConsole = false;
};

// Runs the command line (the arguments after the program name); returns the exit code.
int RunTessaryc(const std::vector<std::string>& args, CliIo io);

}  // namespace tessary::cli
