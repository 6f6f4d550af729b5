#include "platform/cad/local_socket.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace korvalo::cad {

LocalSocket::~LocalSocket() { Abort(); }

bool LocalSocket::Connect(const std::string& path, int timeoutMs) {
  Abort();
  busy_ = false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path, path.data(), path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) break;
    // A full queue of new connections: the program is there but has not
    // taken the ones before yet.
    if (errno == EINTR) continue;
    if (errno != EAGAIN || std::chrono::steady_clock::now() >= deadline) {
      busy_ = errno == EAGAIN;
      ::close(fd);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  fd_ = fd;
  return true;
}

bool LocalSocket::Fill() {
  char chunk[16384];
  for (;;) {
    const ssize_t got = ::recv(fd_, chunk, sizeof(chunk), MSG_DONTWAIT);
    if (got > 0) {
      buffer_.append(chunk, got);
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    return false;  // the other end closed (0) or the connection failed
  }
}

bool LocalSocket::CanReadLine() {
  if (buffer_.contains('\n')) return true;
  if (fd_ < 0) return false;
  if (!Fill()) {
    // What came before the end may still hold a line.
    ::close(fd_);
    fd_ = -1;
  }
  return buffer_.contains('\n');
}

QByteArray LocalSocket::ReadLine() {
  const qsizetype end = buffer_.indexOf('\n');
  if (end < 0) return {};
  QByteArray line = buffer_.left(end + 1);
  buffer_.remove(0, end + 1);
  return line;
}

bool LocalSocket::WaitForReadyRead(int ms) {
  if (fd_ < 0) return false;
  pollfd watched{fd_, POLLIN, 0};
  int ready = 0;
  do {
    ready = ::poll(&watched, 1, ms < 0 ? -1 : ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0;
}

bool LocalSocket::Write(const QByteArray& data, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  qsizetype sent = 0;
  while (fd_ >= 0 && sent < data.size()) {
    const ssize_t n = ::send(fd_, data.constData() + sent, static_cast<size_t>(data.size() - sent),
                             MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n > 0) {
      sent += n;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // The other end reads slower than this writes: wait for room.
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd watched{fd_, POLLOUT, 0};
      if (::poll(&watched, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
      continue;
    }
    break;
  }
  if (sent == data.size()) return true;
  // What the other end said before it went may tell why.
  if (fd_ >= 0) {
    Fill();
    ::close(fd_);
    fd_ = -1;
  }
  return false;
}

void LocalSocket::Abort() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  buffer_.clear();
}

}  // namespace korvalo::cad
