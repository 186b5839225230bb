// What the DOS families share while they look at a disk: the disk's shape as
// its sectors show it, and the candidate layouts tried so far, each with its
// directory read (counted, without finding texts) and the evidence for it.
// Each family (newdos80.cpp, trsdos.cpp, model3.cpp) adds its own.
#pragma once

#include <string>
#include <vector>

#include "fs/trsdos/directory.h"

namespace trivane::trsdos {

// What the sectors say of the disk's shape.
struct Shape {
  int cylinders = 0, heads = 1, spt = 10, first = 0;
  bool double_density = false;
  std::vector<int> first_of;  // per cylinder: its lowest sector id on head 0, -1 for none
  bool Has(int cylinder) const {
    return cylinder >= 0 && cylinder < static_cast<int>(first_of.size()) && first_of[cylinder] >= 0;
  }
};

Shape ShapeOf(const disk::Disk& disk);

// A layout tried, its directory read without findings.
struct Candidate {
  Family family;
  std::string version;
  std::vector<std::string> evidence;
  Directory directory;
  bool dated;
};

class Candidates {
 public:
  explicit Candidates(const disk::SectorStore& sectors)
      : sectors_(sectors), shape_(ShapeOf(sectors.disk())) {}

  const disk::SectorStore& sectors() const { return sectors_; }
  const Shape& shape() const { return shape_; }
  std::vector<std::uint8_t> Sector(int cylinder, int head, int id) const;
  // A layout of the scheme with the disk's shape.
  Layout Base(Layout::Scheme scheme) const;
  // Reads the layout's directory (sized by DIR/SYS's own extent where that
  // differs) and keeps it, unless the same layout was tried already.
  void Try(Family family, std::string version, std::vector<std::string> evidence,
           const Layout& layout, bool dated);
  // Keeps a directory read already, with the HIT and system-file evidence.
  void Keep(Family family, std::string version, std::vector<std::string> evidence, Directory d,
            bool dated);
  // True when a candidate's directory explains the disk.
  bool AnyExplains() const;

  std::vector<Candidate> list;
  std::vector<std::string> looked_at;  // what explained nothing, for the evidence
  std::vector<std::string> set_aside;  // directories that lie inside a file of another

 private:
  const disk::SectorStore& sectors_;
  Shape shape_;
};

// The families' suggestions, in the order the catalogue asks for them.
void NewdosFromSystemSector(Candidates& c);
void NewdosDataDisk(Candidates& c, int ddsl);
void TrsdosCylinder(Candidates& c, int cylinder, const std::string& why);
void MarkedCylinders(Candidates& c, int named);
void Model3(Candidates& c, int cylinder);

}  // namespace trivane::trsdos
