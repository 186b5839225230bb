#include "identification/window_ops.h"

namespace trivane {

std::string_view FieldName(Field field) {
  // In the order of Field.
  static constexpr std::string_view kNames[] = {"Text1",  "Text2",  "Text3", "Text4",
                                                "Text5",  "Text6",  "Text7", "Text12",
                                                "Text16", "Text17", "Text18"};
  return kNames[static_cast<int>(field)];
}

}  // namespace trivane
