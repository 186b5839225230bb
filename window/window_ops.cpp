#include "window/window_ops.h"

namespace trivane {

std::string_view FieldName(Field field) {
  switch (field) {
    case Field::Text1:
      return "Text1";
    case Field::Text2:
      return "Text2";
    case Field::Text3:
      return "Text3";
    case Field::Text4:
      return "Text4";
    case Field::Text5:
      return "Text5";
    case Field::Text6:
      return "Text6";
    case Field::Text7:
      return "Text7";
    case Field::Text12:
      return "Text12";
    case Field::Text16:
      return "Text16";
    case Field::Text17:
      return "Text17";
    case Field::Text18:
      return "Text18";
  }
  return "";
}

}  // namespace trivane
