#pragma once

// The CAD program as Korvalo reaches it on this system: KorvaloDraw, our
// drawing program, over its local socket (platform/cad/protocol.h).
//
// Calls block. While one waits, the program's windows keep repainting but
// every key press, mouse action and window close the user makes is dropped,
// not queued, so nothing the user does meanwhile (a second pick, above all)
// runs inside the call. A call gets callTimeoutMs to be answered, except
// SelectOnScreen, which waits for the user as long as it takes.
//
// Two boxes tell the user what the wait is about, with the titles and texts
// the program keeps for them (platform/forms/app_properties.h); while their
// text is unset the call waits without them:
// - the request-pending box (OK): the user clicks or types in one of the
//   program's windows pendingDelayMs or more after the call began. Once for
//   each burst of input; the input itself is still dropped and the call
//   goes on waiting.
// - the server-busy box (Retry, Cancel): KorvaloDraw has not answered a
//   bounded call within busyDelayMs. It answers a connection's calls in
//   order from its one event loop, so silence means it is busy with
//   something else (a large drawing opening, a call ahead of this one).
//   Cancel ends the call as an unavailable server (the connection is
//   dropped, as when the call's time runs out); Retry waits on, without a
//   second box, until the call's time runs out.
// Time the user spends in a box does not count against the call.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/cad/cad.h"

namespace korvalo::cad {

class LocalSocket;

struct DrawOptions {
  // Where KorvaloDraw is started from.
  std::string programFolder;
  // How long a started KorvaloDraw may take to open its socket.
  int startTimeoutMs = 20000;
  // How long any call but SelectOnScreen may take.
  int callTimeoutMs = 60000;
  // From a call's start until input in the program's windows shows the
  // request-pending box.
  int pendingDelayMs = 5000;
  // How long a bounded call waits before the server-busy box.
  int busyDelayMs = 10000;
  // Input actions closer together than this are one burst.
  int inputBurstGapMs = 1000;
};

// One connection to a running KorvaloDraw. The objects of the application
// reached through it share it.
class DrawConnection {
 public:
  DrawConnection(std::unique_ptr<LocalSocket> socket, DrawOptions options);
  ~DrawConnection();
  DrawConnection(const DrawConnection&) = delete;
  DrawConnection& operator=(const DrawConnection&) = delete;

  // Connects to the socket and greets the program there. Throws CadError:
  // 429 when nothing listens, or what Call throws.
  static std::shared_ptr<DrawConnection> Open(const std::string& socketPath, const DrawOptions& options);
  // The same with the default times but for the call timeout.
  static std::shared_ptr<DrawConnection> Open(const std::string& socketPath, int callTimeoutMs);

  // One call; its value. Throws CadError with the program's failure, or
  // wire::kServerUnavailable (the program ended or did not answer in time,
  // or the user cancelled the call at the server-busy box) or
  // wire::kAutomationError (a reply that does not parse; the connection
  // is dropped after it, as later replies could not be matched).
  QJsonValue Call(int object, const std::string& member, const QJsonArray& args = {},
                  bool unbounded = false);

  // The process id KorvaloDraw gave when greeted.
  long long Pid() const { return pid_; }

 private:
  QByteArray ReadLine(bool unbounded);
  [[noreturn]] void Drop(long number, const std::string& description);
  // Ends the connection with KorvaloDraw's reason when the line is its
  // refusal of the connection.
  void DropIfRefused(const std::optional<QJsonObject>& line);

  std::unique_ptr<LocalSocket> socket_;
  DrawOptions options_;
  long long seq_ = 0;
  long long pid_ = 0;
  bool busy_ = false;
};

// The real Automation: GetObject attaches to the running KorvaloDraw,
// CreateObject starts one from the program folder and waits, bounded, for
// its socket. Either fails with 429 when no KorvaloDraw can be reached, and
// with kServerBusy when one runs but takes no connection (at its limit of
// connections, or not answering): CreateObject never starts a second
// KorvaloDraw beside a running one.
class DrawAutomation : public Automation {
 public:
  explicit DrawAutomation(DrawOptions options);
  std::shared_ptr<Application> GetObject(const std::string& programId) override;
  std::shared_ptr<Application> CreateObject(const std::string& programId) override;
  // Asks the KorvaloDraw last reached to activate its window of that id.
  void SetFocus(WindowHandle window) override;

  // The connection of the application last reached (null before any).
  const std::shared_ptr<DrawConnection>& LastConnection() const { return last_; }

 private:
  std::shared_ptr<Application> Attach(const std::string& programId);
  // Attaches as soon as the socket answers, while running() holds, within
  // the start time (else throws what timedOut gives).
  std::shared_ptr<Application> AwaitSocket(const std::string& programId, const std::function<bool()>& running,
                                           const std::function<CadError()>& timedOut);

  DrawOptions options_;
  std::shared_ptr<DrawConnection> last_;
};

}  // namespace korvalo::cad
