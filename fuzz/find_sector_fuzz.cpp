// Identifies the input's image, then asks the locator for a sector named by
// the input's first twelve bytes: any track, side and sector number.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "formats/jv3.h"
#include "fuzz/fuzz_checks.h"
#include "identification/identify_image.h"
#include "identification/locator.h"

namespace {

int TakeInt(const std::uint8_t*& data, std::size_t& size) {
  std::int32_t value = 0;
  const std::size_t n = size < sizeof value ? size : sizeof value;
  std::memcpy(&value, data, n);
  data += n;
  size -= n;
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int track = TakeInt(data, size);
  const int side = TakeInt(data, size);
  const int sector = TakeInt(data, size);
  trivane::AnalysisRecord record;
  trivane::RecordingWindow window;
  record.filebuf = trivane::ImageBuffer(data, size, nullptr);
  trivane::IdentifyImage(record, window);
  trivane::fuzz::CheckIdentified(window);
  if (!window.messages().empty() && record.Emtype.empty()) return 0;  // refused

  const std::size_t messages = window.messages().size();
  record.TrkToFind = track;
  record.SideToFind = side;
  record.SecToFind = sector;
  trivane::FindSector(record, window);
  trivane::fuzz::Require(record.errflg == 0 || record.errflg == 1, "errflg neither 0 nor 1");
  trivane::fuzz::Require(window.messages().size() <= messages + 1, "more than one locator message");
  if (record.errflg == 0 && record.dmkflag == 0) {
    trivane::fuzz::Require(record.fpa >= trivane::jv3::kDataStart && record.fpa < record.fileend,
                           "JV3 sector found outside the file");
  }
  return 0;
}
