#pragma once

// The client's end of a local (Unix domain) socket to KorvaloDraw, on the
// system's own calls: the program reaches KorvaloDraw without loading a
// network library at start. Lines are read whole from a buffer of what has
// arrived; writes go out whole or the connection counts as lost.

#include <QByteArray>
#include <string>

namespace korvalo::cad {

class LocalSocket {
 public:
  LocalSocket() = default;
  ~LocalSocket();
  LocalSocket(const LocalSocket&) = delete;
  LocalSocket& operator=(const LocalSocket&) = delete;

  // Connects to the socket at that path, waiting up to timeoutMs while its
  // queue of new connections is full; false when nothing listens there.
  bool Connect(const std::string& path, int timeoutMs);
  // After a Connect that failed: whether a listener was there but its queue
  // of new connections stayed full (it runs, busy), rather than none.
  bool Busy() const { return busy_; }
  // Connected, and the other end has not been seen to close.
  bool Connected() const { return fd_ >= 0; }
  // The descriptor to watch for input (-1 when not connected).
  int Descriptor() const { return fd_; }

  // Takes in what has arrived without waiting; true when a whole line
  // (ended by '\n') is there to read. An end seen meanwhile disconnects.
  bool CanReadLine();
  // The next whole line with its '\n' (empty when there is none).
  QByteArray ReadLine();
  // Waits up to ms for input or the other end's close; true when either
  // came.
  bool WaitForReadyRead(int ms);
  // Writes all of it, waiting up to timeoutMs in all for the other end to
  // take it in; false (and disconnected) when it is gone or took too long.
  // Whole lines that arrived before stay readable.
  bool Write(const QByteArray& data, int timeoutMs);
  // Closes the connection; what was not read is dropped.
  void Abort();

 private:
  // Reads what is there; false when the other end closed or failed.
  bool Fill();

  int fd_ = -1;
  bool busy_ = false;
  QByteArray buffer_;
};

}  // namespace korvalo::cad
