#include "platform/dao/file_checks.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>

namespace korvalo::dao::detail {

namespace {

constexpr char kHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
constexpr std::size_t kHeaderSize = 100;
constexpr std::size_t kApplicationIdAt = 68;

// The first bytes of the file (up to the whole header).
std::string Head(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return {};
  char head[kHeaderSize] = {};
  const ssize_t got = ::read(fd, head, sizeof head);
  ::close(fd);
  return got > 0 ? std::string(head, static_cast<std::size_t>(got)) : std::string();
}

bool BeginsAsADatabase(const std::string& head) {
  // A file cut inside the header still shows enough of it to be known.
  constexpr std::size_t kEnoughToKnow = 6;
  const std::size_t compared = std::min(head.size(), sizeof kHeader);
  return compared >= kEnoughToKnow && std::memcmp(head.data(), kHeader, compared) == 0;
}

}  // namespace

bool HasDatabaseHeader(const std::string& path, int applicationId) {
  const std::string head = Head(path);
  if (BeginsAsADatabase(head)) return true;
  if (head.size() < kApplicationIdAt + 4) return false;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[kApplicationIdAt + i]); };
  const unsigned stored = (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
  return stored == static_cast<unsigned>(applicationId);
}

bool IsDamagedDatabase(const std::string& path) {
  const std::string head = Head(path);
  if (!BeginsAsADatabase(head)) return false;
  if (head.size() < kHeaderSize) return true;
  // The page size: two bytes at 16, where 1 stands for 65536.
  const unsigned pageSize = (static_cast<unsigned char>(head[16]) << 8) | static_cast<unsigned char>(head[17]);
  const std::uintmax_t page = pageSize == 1 ? 65536u : pageSize;
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  return !ec && page >= 512 && size % page != 0;
}

HeaderFormat ReadHeaderFormat(const std::string& path) {
  HeaderFormat format;
  const std::string head = Head(path);
  if (head.size() < kHeaderSize || !BeginsAsADatabase(head)) return format;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(head[i]); };
  // A header whose fixed parts are wrong is damaged, whatever its versions
  // say: the page size (a power of two from 512 to 65536, 1 standing for
  // 65536) and the payload fractions 64, 32 and 32 at bytes 21 to 23.
  const unsigned pageSize = (byte(16) << 8) | byte(17);
  const bool pageSizeSound = pageSize == 1 || (pageSize >= 512 && (pageSize & (pageSize - 1)) == 0);
  if (!pageSizeSound || byte(21) != 64 || byte(22) != 32 || byte(23) != 32) return format;
  // Bytes 18 and 19: the versions needed to write and to read the file;
  // bytes 44 to 47: the schema format (0 in a database not yet begun).
  const unsigned writeVersion = byte(18);
  const unsigned readVersion = byte(19);
  const std::uint32_t schemaFormat = (static_cast<std::uint32_t>(byte(44)) << 24) | (byte(45) << 16) |
                                     (byte(46) << 8) | byte(47);
  format.readable = readVersion <= 2 && schemaFormat <= 4;
  format.writable = format.readable && writeVersion <= 2;
  return format;
}

std::string IntegrityProblem(sqlite3* db, int& rc) {
  sqlite3_stmt* stmt = nullptr;
  rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &stmt, nullptr);
  std::string result;
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      auto p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
      result = p != nullptr ? p : "";
      rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_OK) return {};
  return result == "ok" ? std::string() : result;
}

bool FailsOnTheFilesDefinitions(sqlite3* db, const std::string& sql) {
  int triggersWere = 1;
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, -1, &triggersWere);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
  sqlite3_exec(db, "PRAGMA ignore_check_constraints = 1", nullptr, nullptr, nullptr);
  sqlite3_stmt* stmt = nullptr;
  const bool reads = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) == SQLITE_OK;
  sqlite3_finalize(stmt);
  sqlite3_exec(db, "PRAGMA ignore_check_constraints = 0", nullptr, nullptr, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, triggersWere, nullptr);
  return reads;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

}  // namespace korvalo::dao::detail
