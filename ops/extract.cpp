#include "ops/extract.h"

#include "formats/text.h"
#include "ops/host_files.h"

namespace trivane::ops {
namespace {

namespace fs = std::filesystem;

// A question whose "all" or "none" answers the rest of the run.
class Standing {
 public:
  template <typename Ask>
  Choice operator()(Ask ask) {
    if (standing_ != Choice::kCancel) return standing_;
    const Choice c = ask();
    if (c == Choice::kAll || c == Choice::kNone) standing_ = c;
    return c;
  }

 private:
  Choice standing_ = Choice::kCancel;  // none yet
};

bool Yes(Choice c) {
  return c == Choice::kYes || c == Choice::kAll;
}

// Whether the file may be written to the target: yes where nothing is
// there (its folder made), or, over what is, where the answer says so.
Choice MayWrite(const fs::path& target, const std::string& host, Standing& replace,
                const ExtractQuestions& ask, bool& over) {
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  over = fs::exists(fs::symlink_status(target, ec));
  if (!over) return Choice::kYes;
  return replace([&] { return ask.replace(host); });
}

// Whether the file's bytes are to be written: whole, or not whole and the
// user says so; none of it known, never. Said and counted when not.
Choice MayGive(const filesystems::Entry& f, const filesystems::FileBytes& bytes, Standing& damaged,
               const ExtractQuestions& ask, ExtractSummary& s) {
  using filesystems::WhyNotGiven;
  if (const std::string never = WhyNotGiven(f, bytes, true); !never.empty()) {
    s.lines.push_back(f.name + ": not written, " + never);
    ++s.failed;
    return Choice::kNo;
  }
  const std::string why = WhyNotGiven(f, bytes, false);
  const Choice write = why.empty() ? Choice::kYes : damaged([&] { return ask.damaged(f, why); });
  if (write != Choice::kCancel && !Yes(write)) {
    s.lines.push_back(f.name + ": not written, " + why);
    ++s.skipped;
    ++s.not_whole;
  }
  return write;
}

}  // namespace

std::string ExtractSummary::Line() const {
  std::string line = std::to_string(written) + (written == 1 ? " file" : " files") + " written";
  if (with_damage > 0) line += ", " + std::to_string(with_damage) + " of them with damage";
  if (skipped > 0) line += "; " + std::to_string(skipped) + " skipped";
  if (failed > 0) line += "; " + std::to_string(failed) + " not written";
  if (cancelled) line += "; cancelled";
  return line;
}

ExtractSummary ExtractFiles(const filesystems::Filesystem& filesystem,
                            const std::vector<filesystems::Entry>& files, const fs::path& folder,
                            const ExtractQuestions& ask) {
  ExtractSummary s;
  Standing damaged, replace;
  const std::vector<std::string> hosts = HostNames(files);
  for (std::size_t k = 0; k < files.size(); ++k) {
    const filesystems::Entry& f = files[k];
    const filesystems::FileBytes bytes = filesystem.Read(f);
    const Choice give = MayGive(f, bytes, damaged, ask, s);
    if (give == Choice::kCancel) return s.cancelled = true, s;
    if (!Yes(give)) continue;
    // Host names are UTF-8 (ASCII, being made safe): as such on every system.
    const fs::path target = folder / PathFromUtf8(hosts[k]);
    bool over = false;
    const Choice write_over = MayWrite(target, hosts[k], replace, ask, over);
    if (write_over == Choice::kCancel) return s.cancelled = true, s;
    if (!Yes(write_over)) {
      s.lines.push_back(hosts[k] + ": not written, it exists already");
      ++s.skipped;
      continue;
    }
    if (const WriteFailure failed = WriteHostFile(target, bytes.bytes, over); failed.folder) {
      s.folder_failure = failed.why;
      return s;
    } else if (!failed.why.empty()) {
      s.lines.push_back(hosts[k] + ": not written, " + failed.why);
      ++s.failed;
      continue;
    }
    ++s.written;
    if (!bytes.whole()) ++s.with_damage;
    for (const std::string& line : filesystems::DamageLines(bytes)) {
      s.lines.push_back(f.name + ": " + line);
    }
    if (ask.progress && !ask.progress(k + 1, files.size())) return s.cancelled = true, s;
  }
  return s;
}

}  // namespace trivane::ops
