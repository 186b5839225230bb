#include "identification/locator.h"

#include "identification/locate.h"

namespace trivane {

void FindSector(AnalysisRecord& r, WindowOps& w) {
  if (LocateSector(r)) w.MessageBox("** ERROR **  Not found, or File format faulty", "Error");
}

}  // namespace trivane
