// The client's end of the socket against a listener made here on the
// system's own calls: lines that arrive in pieces, an end after the last
// line, a gone listener and a path the system cannot take.

#include "platform/cad/local_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace korvalo::cad {
namespace {

class Listener {
 public:
  Listener() {
    path_ = (std::filesystem::temp_directory_path() / ("korvalo-socket-" + std::to_string(::getpid()))).string();
    ::unlink(path_.c_str());
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.data(), path_.size());
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd_, 4) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~Listener() {
    if (peer_ >= 0) ::close(peer_);
    if (fd_ >= 0) ::close(fd_);
    ::unlink(path_.c_str());
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  const std::string& Path() const { return path_; }
  bool Listening() const { return fd_ >= 0; }
  bool Accept() { return (peer_ = ::accept(fd_, nullptr, nullptr)) >= 0; }
  void Send(const std::string& text) { ASSERT_EQ(::write(peer_, text.data(), text.size()), ssize_t(text.size())); }
  std::string Received() {
    char chunk[256];
    const ssize_t got = ::read(peer_, chunk, sizeof(chunk));
    return got > 0 ? std::string(chunk, static_cast<size_t>(got)) : std::string();
  }
  void ClosePeer() {
    ::close(peer_);
    peer_ = -1;
  }

 private:
  std::string path_;
  int fd_ = -1;
  int peer_ = -1;
};

// A socket connected to a listener that has taken the connection.
class LocalSocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(listener.Listening());
    ASSERT_TRUE(socket.Connect(listener.Path(), 2000));
    ASSERT_TRUE(listener.Accept());
  }

  Listener listener;
  LocalSocket socket;
};

TEST_F(LocalSocketTest, LinesArriveWholeWhateverPiecesTheyCameIn) {
  ASSERT_TRUE(socket.Write("{\"call\":1}\n", 1000));
  EXPECT_EQ(listener.Received(), "{\"call\":1}\n");

  listener.Send("{\"ok\":");
  ASSERT_TRUE(socket.WaitForReadyRead(1000));
  EXPECT_FALSE(socket.CanReadLine());  // half a line is kept, not given
  listener.Send("true}\n{\"seq\":2}\n");
  ASSERT_TRUE(socket.WaitForReadyRead(1000));
  ASSERT_TRUE(socket.CanReadLine());
  EXPECT_EQ(socket.ReadLine(), "{\"ok\":true}\n");
  ASSERT_TRUE(socket.CanReadLine());
  EXPECT_EQ(socket.ReadLine(), "{\"seq\":2}\n");
  EXPECT_FALSE(socket.CanReadLine());
  EXPECT_TRUE(socket.Connected());
}

TEST_F(LocalSocketTest, TheLastLineBeforeTheEndIsStillReadAndThenItIsDisconnected) {
  listener.Send("last\n");
  listener.ClosePeer();
  ASSERT_TRUE(socket.WaitForReadyRead(1000));
  ASSERT_TRUE(socket.CanReadLine());
  EXPECT_EQ(socket.ReadLine(), "last\n");
  EXPECT_FALSE(socket.Connected());
  // Writing to the gone program fails; it does not end this one.
  EXPECT_FALSE(socket.Write("more\n", 1000));
}

TEST_F(LocalSocketTest, AWriteToAClosedPeerFailsWithoutEndingTheProgram) {
  listener.ClosePeer();
  // The first writes may still land in the system's buffer; a broken
  // connection is told within a few.
  bool failed = false;
  for (int i = 0; i < 10 && !failed; ++i) failed = !socket.Write("call\n", 1000);
  EXPECT_TRUE(failed);
  EXPECT_FALSE(socket.Connected());
}

// The other end's last words before it went (a refusal) outlive the write
// that found it gone.
TEST_F(LocalSocketTest, ALineSentBeforeTheEndIsReadAfterAFailedWrite) {
  listener.Send("refused\n");
  listener.ClosePeer();
  bool failed = false;
  for (int i = 0; i < 10 && !failed; ++i) failed = !socket.Write("call\n", 1000);
  ASSERT_TRUE(failed);
  ASSERT_TRUE(socket.CanReadLine());
  EXPECT_EQ(socket.ReadLine(), "refused\n");
}

// A listener whose queue of new connections stays full is there but busy;
// none listening is no busy one.
TEST(LocalSocketBusyTest, AFullQueueIsToldApartFromNoListener) {
  Listener listener;  // never accepts; its queue holds a few
  ASSERT_TRUE(listener.Listening());
  std::vector<std::unique_ptr<LocalSocket>> queued;
  bool refused = false;
  for (int i = 0; i < 64 && !refused; ++i) {
    queued.push_back(std::make_unique<LocalSocket>());
    refused = !queued.back()->Connect(listener.Path(), 100);
  }
  ASSERT_TRUE(refused);
  EXPECT_TRUE(queued.back()->Busy());

  LocalSocket none;
  EXPECT_FALSE(none.Connect((std::filesystem::temp_directory_path() / "korvalo-no-such-socket").string(), 100));
  EXPECT_FALSE(none.Busy());
}

TEST(LocalSocketPathTest, NothingListeningOrAnUnusablePathIsNoConnection) {
  LocalSocket socket;
  const std::string missing = (std::filesystem::temp_directory_path() / "korvalo-no-such-socket").string();
  EXPECT_FALSE(socket.Connect(missing, 100));
  EXPECT_FALSE(socket.Connect("", 100));
  EXPECT_FALSE(socket.Connect("/tmp/" + std::string(200, 'x'), 100));  // longer than a socket path may be
  EXPECT_FALSE(socket.Connected());
  EXPECT_FALSE(socket.CanReadLine());
  EXPECT_FALSE(socket.WaitForReadyRead(10));
}

}  // namespace
}  // namespace korvalo::cad
