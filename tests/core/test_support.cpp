#include "test_support.h"

namespace trivane::test {

void Session::Identify(const Bytes& image) {
  record.filebuf = ImageBuffer(image);
  IdentifyImage(record, window);
}

bool Session::Find(int track, int side, int sector) {
  record.TrkToFind = track;
  record.SideToFind = side;
  record.SecToFind = sector;
  FindSector(record, window);
  return record.errflg == 0;
}

Session Identified(const Bytes& image) {
  Session s;
  s.Identify(image);
  return s;
}

std::string Dump(const Bytes& image, Offset around) {
  std::string out =
      "image of " + std::to_string(image.size()) + " bytes:" + build::HexDump(image, 0, 32);
  if (around > 32) out += "\n..." + build::HexDump(image, around - 16, 48);
  return out;
}

std::string PdriveText(const build::Pdrive& pdrive) {
  Bytes image = build::Jv1(35);
  build::PutSystemSector(image, jv1::kSystemSector, pdrive);
  return Identified(image).record.pdrive;
}

Lines Texts(const RecordingWindow& window, std::initializer_list<Field> fields) {
  Lines texts;
  for (Field f : fields) texts.push_back(window.text(f));
  return texts;
}

void ExpectResultFieldsEmpty(const RecordingWindow& window) {
  for (Field f : kAllFields) {
    if (f == Field::Text16) continue;
    EXPECT_EQ(window.text(f), "") << FieldName(f);
  }
  EXPECT_EQ(window.field(Field::Text12).back, colour::kFieldBack);
}

}  // namespace trivane::test
