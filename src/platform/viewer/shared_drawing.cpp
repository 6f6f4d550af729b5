#include "platform/viewer/shared_drawing.h"

#include <sys/stat.h>

#include <algorithm>
#include <mutex>

namespace korvalo::viewer {
namespace {

// What identifies one state of one file.
struct FileKey {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  long long seconds = 0;
  long nanoseconds = 0;
  bool operator==(const FileKey&) const = default;
};

std::optional<FileKey> KeyOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return FileKey{path, st.st_dev, st.st_ino, st.st_size, static_cast<long long>(st.st_mtim.tv_sec),
                 static_cast<long>(st.st_mtim.tv_nsec)};
}

struct Entry {
  FileKey key;
  std::weak_ptr<const SharedDrawing> drawing;
};

std::mutex g_mutex;
std::vector<Entry> g_entries;

std::shared_ptr<const SharedDrawing> Find(const FileKey& key) {
  std::lock_guard lock(g_mutex);
  std::erase_if(g_entries, [](const Entry& e) { return e.drawing.expired(); });
  for (const Entry& e : g_entries)
    if (e.key == key)
      if (auto held = e.drawing.lock()) return held;
  return nullptr;
}

void Remember(const FileKey& key, const std::shared_ptr<const SharedDrawing>& drawing) {
  std::lock_guard lock(g_mutex);
  std::erase_if(g_entries, [&](const Entry& e) { return e.drawing.expired() || e.key.path == key.path; });
  g_entries.push_back({key, drawing});
}

}  // namespace

std::vector<Layer> SharedDrawing::TableLayers() const {
  if (drawing.format != DrawingFormat::Dxf || drawing.tableLayers < 0) return drawing.layers;
  const auto n = std::min(static_cast<std::size_t>(drawing.tableLayers), drawing.layers.size());
  return {drawing.layers.begin(), drawing.layers.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::shared_ptr<const SharedDrawing> ReadSharedDrawing(const std::string& path, ReadError& error) {
  const std::optional<FileKey> before = KeyOf(path);
  if (before)
    if (auto held = Find(*before)) return held;
  auto read = std::make_shared<SharedDrawing>();
  if (auto failed = ReadDrawing(path, read->drawing)) {
    error = std::move(*failed);
    return nullptr;
  }
  read->index.Build(read->drawing);
  // A file that changed while it was read is not shared: the next load reads
  // it again.
  if (before && KeyOf(path) == before) Remember(*before, read);
  return read;
}

const std::shared_ptr<const SharedDrawing>& NoDrawing() {
  static const std::shared_ptr<const SharedDrawing> none = [] {
    auto d = std::make_shared<SharedDrawing>();
    d->index.Build(d->drawing);
    return std::shared_ptr<const SharedDrawing>(std::move(d));
  }();
  return none;
}

}  // namespace korvalo::viewer
