// The drive, directory and file lists of the file chooser, and the rules
// they follow: file patterns, the path join and the listing of a directory.
#pragma once

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <vector>

namespace trivane::app {

// The platform's path separator: "\" on Windows, "/" elsewhere.
QChar PathSeparator();
std::filesystem::path ToFsPath(const QString& path);

// Directory and file name with exactly one separator between them; none is
// added after a root, whose path already ends in one.
QString JoinPath(const QString& dir, const QString& name, QChar separator = PathSeparator());

// True when the name matches one of the ";"-separated wildcard patterns, in
// any letter case. "*" is any run of characters, "?" any one; "*.*" matches
// every name, with or without a dot.
bool MatchesPattern(const QString& name, const QString& patterns);

// What a directory holds, sorted by name; error is set when it cannot be read.
// names are for showing (a name that is not valid in the platform's encoding
// shows a replacement character); entries are the file system's own names,
// one for each of names, for opening.
struct Listing {
  QStringList names;
  std::vector<std::filesystem::path> entries;
  QString error;
};
Listing ListFiles(const QString& dir, const QString& patterns);
Listing ListSubdirectories(const QString& dir);

// The drives: on Windows the drive letters, elsewhere the mounted file systems
// that hold files, the root first.
QStringList DriveRoots();
// The drive whose root holds the path.
QString DriveOf(const QString& path, const QStringList& roots);

// Dir1: the chain of directories from the root to the current one, then the
// current one's subdirectories. A double-click or Enter opens a directory.
class DirList : public QListWidget {
  Q_OBJECT
 public:
  explicit DirList(QWidget* parent);
  const QString& path() const { return path_; }
  // Moves to the directory and lists it; emits pathChanged. A directory that
  // cannot be listed shows its chain alone (File1's listing reports it).
  void setPath(const QString& path);

 signals:
  void pathChanged();

 private:
  QString path_;
};

// File1: any change of the current file, by click, drag or keys, chooses it;
// so does a click on the file that is already current. A double-click, Enter
// or the context menu asks for the file's contents window.
class FileList : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent);

 signals:
  void fileChosen();
  // tab: 0 files, 1 sectors, 2 hex; extract: start extracting files.
  void contentsRequested(int tab, bool extract);
  void newDiskRequested();
  void shelfRequested();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  bool pressed_on_current_ = false;
};

}  // namespace trivane::app
