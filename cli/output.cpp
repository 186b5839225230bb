#include "cli/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace trivane::cli {

bool IsTerminal(int fd) {
#ifdef _WIN32
  return _isatty(fd) != 0;
#else
  return ::isatty(fd) != 0;
#endif
}

bool Output::Failed() {
  if (!failed_) {
    std::fprintf(stderr, "%s: cannot write the output: %s\n", program_, std::strerror(errno));
  }
  failed_ = true;
  return false;
}

bool Output::Write(std::string_view text) {
  if (failed_) return false;
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() || Failed();
}

bool Output::Finish() {
  if (failed_) return false;
  return std::fflush(stdout) == 0 || Failed();
}

}  // namespace trivane::cli
