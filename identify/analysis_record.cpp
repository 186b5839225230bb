#include "identify/analysis_record.h"

namespace trivane {

std::string NumberText(Offset n) { return n < 0 ? std::to_string(n) : " " + std::to_string(n); }

}  // namespace trivane
