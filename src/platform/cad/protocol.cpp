#include "platform/cad/protocol.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <QJsonArray>
#include <QJsonDocument>
#include <fstream>
#include <signal.h>

namespace korvalo::cad::wire {

std::optional<std::string> RuntimeFolder(std::string& error) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) {
    return std::string(runtime);
  }
  const std::string folder = "/tmp/korvalo-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = "Cannot make the folder " + folder + ": " + std::strerror(errno);
    return std::nullopt;
  }
  // Another user may have made the folder first, or left a link there: use
  // it only when it is a real folder of ours that nobody else may enter.
  struct stat st {};
  if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
      (st.st_mode & 0077) != 0) {
    error = "The folder " + folder + " is not a private folder of this user";
    return std::nullopt;
  }
  return folder;
}

std::optional<std::string> SocketPath(const std::string& programId, std::string& error) {
  std::optional<std::string> folder = RuntimeFolder(error);
  if (!folder) return std::nullopt;
  return *folder + "/" + programId;
}

std::optional<std::string> LockPath(const std::string& programId, std::string& error) {
  std::optional<std::string> socket = SocketPath(programId, error);
  if (!socket) return std::nullopt;
  return *socket + ".lock";
}

namespace {

// A lock on the whole file that belongs to the open file, not the process:
// it goes when the file is closed or the process ends, however it ends.
struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  return lock;
}

}  // namespace

std::optional<int> TakeInstanceLock(const std::string& programId, bool& running, std::string& error) {
  running = false;
  const std::optional<std::string> path = LockPath(programId, error);
  if (!path) return std::nullopt;
  const int fd = ::open(path->c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error = "Cannot open the lock " + *path + ": " + std::strerror(errno);
    return std::nullopt;
  }
  struct flock lock = WholeFile(F_WRLCK);
  if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
    const int cause = errno;
    ::close(fd);
    if (cause == EAGAIN || cause == EACCES) {
      running = true;
      error = "Another KorvaloDraw is running (it holds " + *path + ")";
    } else {
      error = "Cannot lock " + *path + ": " + std::strerror(cause);
    }
    return std::nullopt;
  }
  return fd;
}

bool InstanceRunning(const std::string& programId) {
  std::string error;
  const std::optional<std::string> path = LockPath(programId, error);
  if (!path) return false;
  const int fd = ::open(path->c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  // Asked without taking it: taking it even for a moment could make a
  // KorvaloDraw starting just then believe another one runs.
  struct flock lock = WholeFile(F_WRLCK);
  const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

bool ProcessRunning(long long pid) {
  if (pid <= 0 || kill(static_cast<pid_t>(pid), 0) != 0) return false;
  // "pid (name) state ...": the state follows the last parenthesis.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

std::optional<long long> WholeNumber(const QJsonValue& value, long long least, long long most) {
  if (!value.isDouble()) return std::nullopt;
  const double d = value.toDouble();
  // The bounds as doubles: a range up to 2^53 holds them exactly.
  if (!(d >= static_cast<double>(least) && d <= static_cast<double>(most)) || d != std::floor(d)) {
    return std::nullopt;
  }
  return static_cast<long long>(d);
}

std::string WireText(const QJsonValue& value) {
  const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
  return array.mid(1, array.size() - 2).toStdString();
}

QByteArray Refusal(long number, const std::string& description) {
  return Line(QJsonObject{{"refused", true},
                          {"number", static_cast<qint64>(number)},
                          {"description", QString::fromStdString(description)}});
}

QByteArray Line(const QJsonObject& message) {
  QByteArray line = QJsonDocument(message).toJson(QJsonDocument::Compact);
  line.append('\n');
  return line;
}

std::optional<QJsonObject> Parse(const QByteArray& line) {
  QJsonParseError error{};
  const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
  return doc.object();
}

}  // namespace korvalo::cad::wire
