#include "app/file_lists.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QStorageInfo>
#include <algorithm>
#include <system_error>

#include "formats/text.h"
#include "present/file_chooser.h"
#include "present/shelf_view.h"
#include "present/texts.h"

namespace trivane::app {
namespace fs = std::filesystem;

QChar PathSeparator() {
#ifdef _WIN32
  return QChar('\\');
#else
  return QChar('/');
#endif
}

fs::path ToFsPath(const QString& path) {
  return PathFromUtf8(path.toStdString());
}

namespace {

bool ByName(const QString& a, const QString& b) {
  const int folded = a.compare(b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : a < b;
}

Listing ToListing(present::Listing listing) {
  Listing shown;
  for (const std::string& name : listing.names) shown.names << QString::fromStdString(name);
  shown.entries = std::move(listing.entries);
  shown.error = QString::fromStdString(listing.error);
  return shown;
}

}  // namespace

QString JoinPath(const QString& dir, const QString& name, QChar separator) {
  return QString::fromStdString(
      present::JoinPath(dir.toStdString(), name.toStdString(), separator.toLatin1()));
}

bool MatchesPattern(const QString& name, const QString& patterns) {
  return present::MatchesPattern(name.toStdString(), patterns.toStdString());
}

Listing ListFiles(const QString& dir, const QString& patterns) {
  return ToListing(present::ListFiles(ToFsPath(dir), patterns.toStdString()));
}

Listing ListSubdirectories(const QString& dir) {
  return ToListing(present::ListSubdirectories(ToFsPath(dir)));
}

QStringList DriveRoots() {
  QStringList roots;
#ifdef _WIN32
  for (const QFileInfo& drive : QDir::drives()) roots << QDir::toNativeSeparators(drive.path());
#else
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && volume.bytesTotal() > 0 &&
        !roots.contains(volume.rootPath())) {
      roots << volume.rootPath();
    }
  }
  std::sort(roots.begin(), roots.end(), ByName);
  roots.removeAll("/");
  roots.prepend("/");
#endif
  return roots;
}

QString DriveOf(const QString& path, const QStringList& roots) {
  QString best = roots.value(0);
  for (const QString& root : roots) {
    const bool holds = path.startsWith(root, Qt::CaseInsensitive) &&
                       (root.endsWith(PathSeparator()) || path.size() == root.size() ||
                        path[root.size()] == PathSeparator());
    if (holds && root.size() > best.size()) best = root;
  }
  return best;
}

DirList::DirList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { setPath(item->data(Qt::UserRole).toString()); });
}

void DirList::setPath(const QString& path) {
  path_ = QDir::toNativeSeparators(QDir::cleanPath(path));
  clear();
  // The chain of parents from the root, each one step further in.
  QStringList chain;
  for (QDir d(path_);;) {
    chain.prepend(QDir::toNativeSeparators(d.absolutePath()));
    if (d.isRoot() || !d.cdUp()) break;
  }
  int depth = 0;
  for (const QString& dir : chain) {
    const QString name = depth == 0 ? dir : QFileInfo(dir).fileName();
    auto* item = new QListWidgetItem(QString(2 * depth, ' ') + name, this);
    item->setData(Qt::UserRole, dir);
    ++depth;
  }
  setCurrentRow(count() - 1);
  for (const QString& name : ListSubdirectories(path_).names) {
    auto* item = new QListWidgetItem(QString(2 * depth, ' ') + name, this);
    item->setData(Qt::UserRole, JoinPath(path_, name));
  }
  emit pathChanged();
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0) emit fileChosen();
  });
  connect(this, &QListWidget::itemClicked, this, [this] {
    if (pressed_on_current_) emit fileChosen();
  });
  connect(this, &QListWidget::itemActivated, this, [this] { emit contentsRequested(0, false); });
  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    QListWidgetItem* item = itemAt(at);
    QMenu menu(this);
    if (item != nullptr) {
      setCurrentItem(item);
      for (const present::MenuItem& m : present::kFileMenu) {
        menu.addAction(m.text, this, [this, m] { emit contentsRequested(m.tab, m.extract); });
      }
      menu.addSeparator();
    }
    menu.addAction(present::kNewDiskItem, this, [this] { emit newDiskRequested(); });
    menu.addAction(present::kShelfItem, this, [this] { emit shelfRequested(); });
    menu.exec(viewport()->mapToGlobal(at));
  });
}

// A press that makes another file current has chosen it already; the click
// that it ends in must not choose it again.
void FileList::mousePressEvent(QMouseEvent* event) {
  const int before = currentRow();
  QListWidget::mousePressEvent(event);
  pressed_on_current_ = currentRow() == before;
}

}  // namespace trivane::app
