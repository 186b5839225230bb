// Standard output of the command-line tools. A failure to write (a full
// disk, say) is said once on stderr, "PROGRAM: cannot write the output:
// REASON", and nothing more is written.
#pragma once

#include <string_view>

namespace trivane::cli {

// The file descriptor is a terminal (standard output 1, standard error 2).
bool IsTerminal(int fd);

class Output {
 public:
  explicit Output(const char* program) : program_(program) {}
  // False once the output has failed.
  bool Write(std::string_view text);
  // Flushes what is buffered; false when the output failed.
  bool Finish();

 private:
  bool Failed();
  const char* program_;
  bool failed_ = false;
};

}  // namespace trivane::cli
