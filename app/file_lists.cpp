#include "app/file_lists.h"

#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QStorageInfo>
#include <algorithm>
#include <system_error>

#include "formats/text.h"

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

QString FromFsName(const fs::path& name) {
  return QString::fromStdString(Utf8Of(name));
}

bool MatchWildcard(const QString& name, qsizetype n, const QString& pattern, qsizetype p) {
  for (; p < pattern.size(); ++p, ++n) {
    if (pattern[p] == '*') {
      for (qsizetype rest = n; rest <= name.size(); ++rest) {
        if (MatchWildcard(name, rest, pattern, p + 1)) return true;
      }
      return false;
    }
    if (n >= name.size()) return false;
    if (pattern[p] != '?' && pattern[p].toCaseFolded() != name[n].toCaseFolded()) return false;
  }
  return n == name.size();
}

bool ByName(const QString& a, const QString& b) {
  const int folded = a.compare(b, Qt::CaseInsensitive);
  return folded != 0 ? folded < 0 : a < b;
}

// Lists the entries of dir that pass keep, sorted by the names shown.
template <typename Keep>
Listing ListEntries(const QString& dir, Keep keep) {
  std::vector<std::pair<QString, fs::path>> found;
  Listing listing;
  std::error_code ec;
  fs::directory_iterator it(ToFsPath(dir), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (keep(*it)) found.emplace_back(FromFsName(it->path().filename()), it->path().filename());
  }
  if (ec) listing.error = QString::fromStdString(ec.message());
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return ByName(a.first, b.first); });
  for (auto& [name, entry] : found) {
    listing.names << name;
    listing.entries.push_back(std::move(entry));
  }
  return listing;
}

}  // namespace

QString JoinPath(const QString& dir, const QString& name, QChar separator) {
  return dir.endsWith(separator) ? dir + name : dir + separator + name;
}

bool MatchesPattern(const QString& name, const QString& patterns) {
  for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
    const QString p = pattern.trimmed();
    if (p == "*.*" || MatchWildcard(name, 0, p, 0)) return true;
  }
  return false;
}

Listing ListFiles(const QString& dir, const QString& patterns) {
  return ListEntries(dir, [&](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec) && MatchesPattern(FromFsName(e.path().filename()), patterns);
  });
}

Listing ListSubdirectories(const QString& dir) {
  return ListEntries(dir, [](const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_directory(ec);
  });
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
      menu.addAction("Contents", this, [this] { emit contentsRequested(0, false); });
      menu.addAction("Sectors", this, [this] { emit contentsRequested(1, false); });
      menu.addAction("Hex view", this, [this] { emit contentsRequested(2, false); });
      menu.addAction("Extract files...", this, [this] { emit contentsRequested(0, true); });
      menu.addSeparator();
    }
    menu.addAction("New disk...", this, [this] { emit newDiskRequested(); });
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
