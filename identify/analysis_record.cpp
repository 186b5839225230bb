#include "identify/analysis_record.h"

namespace trivane {

std::string NumberText(Offset n) {
  std::string text = n < 0 ? "" : " ";
  text += std::to_string(n);
  return text;
}

}  // namespace trivane
