#include "identification/analysis_record.h"

namespace trivane {

int AnalysisRecord::ReadPointerTable(Offset block) {
  int i = 0;
  for (; i < kPointerTable; ++i) {
    idamptr[i] = DmkPointer(block + 2 * i);
    if (idamptr[i] == 0) break;
  }
  return i;
}

std::string NumberText(Offset n) {
  std::string text = n < 0 ? "" : " ";
  text += std::to_string(n);
  return text;
}

}  // namespace trivane
