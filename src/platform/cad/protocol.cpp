#include "platform/cad/protocol.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

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

bool ProcessRunning(long long pid) {
  if (pid <= 0 || kill(static_cast<pid_t>(pid), 0) != 0) return false;
  // "pid (name) state ...": the state follows the last parenthesis.
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  std::getline(stat, line);
  const std::size_t close = line.rfind(')');
  return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
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
