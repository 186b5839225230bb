// The input as a zip archive: its directory read, and every member read
// (bounded), each either refused with a reason or of exactly its stored
// size; whatever the archive holds, nothing read outside it.
#include <cstddef>
#include <cstdint>

#include "archive/zip.h"
#include "fuzz/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace archive = trivane::archive;
  const trivane::ImageBuffer zip({data, data + size});
  const archive::ZipDirectory d = archive::ReadZipDirectory(zip);
  trivane::fuzz::Require(d.error.empty() || d.members.empty(),
                         "members beside a damaged directory");
  for (const archive::ZipMember& m : d.members) {
    const archive::ZipData member = archive::ReadZipMember(zip, m, 1 << 20);
    trivane::fuzz::Require(member.error.empty() || member.bytes.empty(),
                           "bytes passed on beside a refusal");
    trivane::fuzz::Require(!member.error.empty() || member.bytes.size() == m.size,
                           "a member read to another size");
  }
  return 0;
}
