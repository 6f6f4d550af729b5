#include "platform/cad/draw_client.h"

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <functional>
#include <limits>

#include "platform/cad/local_socket.h"
#include "platform/cad/protocol.h"
#include "platform/forms/app_properties.h"
#include "platform/forms/prompts.h"

namespace korvalo::cad {
namespace {

constexpr const char* kCannotCreate = "ActiveX component can't create object";
constexpr const char* kBusyText = "KorvaloDraw is running but takes no new connections now. Try again later.";

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// Drops what the user does to the program's windows while a call waits:
// keys, the mouse, the wheel, touches and closing a window from its frame.
// Painting, timers and the socket go on. Each press, key or close attempt
// is also told to onAction (when given), which may want the request-pending
// box.
class InputDropper : public QObject {
 public:
  explicit InputDropper(std::function<void()> onAction = {}) : onAction_(std::move(onAction)) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  ~InputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::NonClientAreaMouseButtonPress:
      case QEvent::NonClientAreaMouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride:
      case QEvent::TouchBegin:
      case QEvent::TabletPress:
        Acted();
        return true;
      case QEvent::MouseButtonRelease:
      case QEvent::MouseMove:
      case QEvent::NonClientAreaMouseButtonRelease:
      case QEvent::KeyRelease:
      case QEvent::Shortcut:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
      case QEvent::TouchCancel:
      case QEvent::TabletRelease:
      case QEvent::TabletMove:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return true;
      case QEvent::Close:
        if (!event->spontaneous()) return false;
        Acted();
        return true;
      default:
        return false;
    }
  }

 private:
  void Acted() {
    if (onAction_) onAction_();
  }
  std::function<void()> onAction_;
};

// The user's input while one call waits, in bursts: actions closer together
// than the gap are one burst, which shows the request-pending box at most
// once.
class InputBursts {
 public:
  explicit InputBursts(qint64 gapMs) : gapMs_(gapMs) {}
  // An action at now (ms into the call); true when it is to show the box.
  bool Act(qint64 now, bool mayShow) {
    if (now - last_ > gapMs_) shown_ = false;
    last_ = now;
    if (shown_ || !mayShow) return false;
    shown_ = true;
    return true;
  }
  // The box closed at now: what the user does next belongs to the burst
  // that showed it until the gap has passed.
  void BoxClosed(qint64 now) { last_ = now; }

 private:
  qint64 gapMs_;
  qint64 last_ = std::numeric_limits<qint64>::min() / 2;
  bool shown_ = false;
};

bool IsSet(const forms::ClientBoxText& box) { return !box.title.empty() || !box.text.empty(); }

// Whether waits may run the program's event loop: only on its own thread.
bool OnEventThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

// Lets the program's windows repaint for a while, user input dropped.
void Pause(int ms) {
  if (!OnEventThread()) {
    usleep(static_cast<useconds_t>(ms) * 1000);
    return;
  }
  InputDropper dropper;
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

int ObjectOf(const QJsonValue& value) {
  const QJsonValue id = value.toObject().value("obj");
  if (!id.isDouble()) {
    throw CadError(wire::kAutomationError, "The CAD program gave no object where one was expected");
  }
  return id.toInt();
}

// Objects of the CAD program are handles: a connection and a number.
class Remote {
 public:
  Remote(std::shared_ptr<DrawConnection> connection, int id)
      : connection_(std::move(connection)), id_(id) {}
  int Id() const { return id_; }

 protected:
  QJsonValue Call(const std::string& member, const QJsonArray& args = {}, bool unbounded = false) {
    return connection_->Call(id_, member, args, unbounded);
  }
  const std::shared_ptr<DrawConnection>& Connection() const { return connection_; }

 private:
  std::shared_ptr<DrawConnection> connection_;
  int id_;
};

class RemoteEntity : public Entity, public Remote {
 public:
  using Remote::Remote;
  std::string EntityName() override { return S(Call("EntityName").toString()); }
  std::string TextString() override { return S(Call("TextString").toString()); }
};

class RemoteSelectionSet : public SelectionSet, public Remote {
 public:
  using Remote::Remote;
  void Delete() override { Call("Delete"); }
  void SelectOnScreen() override { Call("SelectOnScreen", {}, true); }
  int Count() override { return Call("Count").toInt(); }
  std::shared_ptr<Entity> Item(int index) override {
    return std::make_shared<RemoteEntity>(Connection(), ObjectOf(Call("Item", {index})));
  }
  void RemoveItems(const std::vector<std::shared_ptr<Entity>>& entities) override {
    QJsonArray ids;
    for (const auto& entity : entities) {
      auto* remote = dynamic_cast<RemoteEntity*>(entity.get());
      if (!remote) throw CadError(wire::kAutomationError, "Not an entity of this drawing");
      ids.append(remote->Id());
    }
    // One argument, the array (a braced array alone would be copied).
    QJsonArray args;
    args.append(ids);
    Call("RemoveItems", args);
  }
};

class RemoteSelectionSets : public SelectionSets, public Remote {
 public:
  using Remote::Remote;
  std::shared_ptr<SelectionSet> Item(const std::string& name) override {
    return std::make_shared<RemoteSelectionSet>(Connection(), ObjectOf(Call("Item", {Q(name)})));
  }
  std::shared_ptr<SelectionSet> Add(const std::string& name) override {
    return std::make_shared<RemoteSelectionSet>(Connection(), ObjectOf(Call("Add", {Q(name)})));
  }
};

class RemoteDocument : public Document, public Remote {
 public:
  using Remote::Remote;
  std::string FullName() override { return S(Call("FullName").toString()); }
  void Open(const std::string& path) override { Call("Open", {Q(path)}); }
  int GetVariable(const std::string& name) override { return Call("GetVariable", {Q(name)}).toInt(); }
  void SetVariable(const std::string& name, int value) override { Call("SetVariable", {Q(name), value}); }
  void SetWindowState(int state) override { Call("SetWindowState", {state}); }
  std::shared_ptr<cad::SelectionSets> SelectionSets() override {
    return std::make_shared<RemoteSelectionSets>(Connection(), ObjectOf(Call("SelectionSets")));
  }
};

class RemoteDocuments : public Documents, public Remote {
 public:
  using Remote::Remote;
  int Count() override { return Call("Count").toInt(); }
  std::shared_ptr<Document> Open(const std::string& path) override {
    return std::make_shared<RemoteDocument>(Connection(), ObjectOf(Call("Open", {Q(path)})));
  }
};

class RemoteApplication : public Application, public Remote {
 public:
  using Remote::Remote;
  void SetVisible(bool visible) override { Call("SetVisible", {visible}); }
  std::shared_ptr<Document> ActiveDocument() override {
    return std::make_shared<RemoteDocument>(Connection(), ObjectOf(Call("ActiveDocument")));
  }
  std::shared_ptr<cad::Documents> Documents() override {
    return std::make_shared<RemoteDocuments>(Connection(), ObjectOf(Call("Documents")));
  }
  void SetWindowState(int state) override { Call("SetWindowState", {state}); }
  WindowHandle Hwnd() override {
    // Window ids are whole numbers a double holds exactly.
    const std::optional<long long> handle = wire::WholeNumber(Call("Hwnd"), 0, wire::kMostWindowHandle);
    if (!handle) throw CadError(wire::kAutomationError, "The CAD program gave no window handle");
    return static_cast<WindowHandle>(*handle);
  }
};

}  // namespace

DrawConnection::DrawConnection(std::unique_ptr<LocalSocket> socket, DrawOptions options)
    : socket_(std::move(socket)), options_(std::move(options)) {}

DrawConnection::~DrawConnection() = default;

std::shared_ptr<DrawConnection> DrawConnection::Open(const std::string& socketPath, int callTimeoutMs) {
  DrawOptions options;
  options.callTimeoutMs = callTimeoutMs;
  return Open(socketPath, options);
}

std::shared_ptr<DrawConnection> DrawConnection::Open(const std::string& socketPath, const DrawOptions& options) {
  auto socket = std::make_unique<LocalSocket>();
  if (!socket->Connect(socketPath, 2000)) {
    if (socket->Busy()) throw CadError(kServerBusy, kBusyText);
    throw CadError(kCannotCreateObject, kCannotCreate);
  }
  auto connection = std::make_shared<DrawConnection>(std::move(socket), options);
  const QJsonObject hello = connection->Call(0, "Hello").toObject();
  const std::optional<long long> pid =
      wire::WholeNumber(hello.value("pid"), 1, std::numeric_limits<pid_t>::max());
  if (hello.value("app").toInt() != wire::kApplicationObject || !pid) {
    connection->Drop(wire::kAutomationError, "The program on the socket is not KorvaloDraw");
  }
  connection->pid_ = *pid;
  return connection;
}

void DrawConnection::DropIfRefused(const std::optional<QJsonObject>& line) {
  if (line && line->value("refused").toBool()) {
    Drop(static_cast<long>(line->value("number").toInteger(kServerBusy)),
         S(line->value("description").toString(kBusyText)));
  }
}

void DrawConnection::Drop(long number, const std::string& description) {
  socket_->Abort();
  throw CadError(number, description);
}

QByteArray DrawConnection::ReadLine(bool unbounded) {
  QElapsedTimer clock;
  clock.start();
  // The time the user spent in the boxes, which the call's time leaves out.
  qint64 inBoxes = 0;
  bool busyShown = false;
  InputBursts bursts(options_.inputBurstGapMs);
  const auto showBox = [&](const forms::ClientBoxText& box, int buttons) {
    QElapsedTimer shown;
    shown.start();
    const int answer = forms::MsgBox(box.text, buttons, box.title);
    inBoxes += shown.elapsed();
    return answer;
  };
  // The user's actions while the call runs ask for the request-pending box,
  // once a burst; the box is shown outside the event processing that
  // dropped the input, so that the user's input reaches it.
  bool pendingWanted = false;
  const auto noteAction = [&] {
    const qint64 now = clock.elapsed();
    const bool mayShow = now >= options_.pendingDelayMs && IsSet(forms::RequestPendingBox());
    if (bursts.Act(now, mayShow)) pendingWanted = true;
    return pendingWanted;
  };
  const auto showPendingBox = [&] {
    if (!pendingWanted) return;
    pendingWanted = false;
    showBox(forms::RequestPendingBox(), forms::vbOKOnly);
    bursts.BoxClosed(clock.elapsed());
  };
  for (;;) {
    if (socket_->CanReadLine()) {
      QByteArray line = socket_->ReadLine();
      line.chop(1);
      // Input the user gave while the call ran is dropped, and told as in a
      // wait, even when the reply came before the wait below ever ran: it
      // waits in the queue.
      if (OnEventThread()) {
        {
          InputDropper dropper([&] { noteAction(); });
          QCoreApplication::processEvents();
        }
        showPendingBox();
      }
      return line;
    }
    if (!socket_->Connected()) {
      Drop(wire::kServerUnavailable, "The CAD program has ended");
    }
    const qint64 waited = clock.elapsed() - inBoxes;
    const qint64 left = unbounded ? -1 : options_.callTimeoutMs - waited;
    if (!unbounded && left <= 0) {
      Drop(wire::kServerUnavailable, "The CAD program did not answer within " +
                                         std::to_string(options_.callTimeoutMs / 1000) + " seconds");
    }
    if (!OnEventThread()) {
      socket_->WaitForReadyRead(unbounded ? 200 : static_cast<int>(std::min<qint64>(left, 200)));
      continue;
    }
    const bool mayAskBusy = !unbounded && !busyShown && IsSet(forms::ServerBusyBox());
    if (mayAskBusy && waited >= options_.busyDelayMs) {
      busyShown = true;
      if (showBox(forms::ServerBusyBox(), forms::vbRetryCancel) != forms::vbRetry) {
        Drop(wire::kServerUnavailable, "The CAD program was busy and the request was cancelled");
      }
      continue;
    }
    qint64 wake = unbounded ? 1000 : std::min<qint64>(left, 1000);
    if (mayAskBusy) wake = std::min<qint64>(wake, options_.busyDelayMs - waited);
    {
      QEventLoop loop;
      InputDropper dropper([&] {
        if (noteAction()) loop.quit();
      });
      // Input, the other end's close or a failure all make it readable.
      QSocketNotifier input(static_cast<qintptr>(socket_->Descriptor()), QSocketNotifier::Read);
      QObject::connect(&input, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
      QTimer timer;
      timer.setSingleShot(true);
      QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
      timer.start(static_cast<int>(wake));
      loop.exec();
    }
    showPendingBox();
  }
}

QJsonValue DrawConnection::Call(int object, const std::string& member, const QJsonArray& args,
                                bool unbounded) {
  if (!socket_->Connected()) {
    throw CadError(wire::kServerUnavailable, "The CAD program has ended");
  }
  // A call made while another waits (from a timer running meanwhile) would
  // take the other's reply.
  if (busy_) throw CadError(wire::kAutomationError, "The CAD program is busy with another call");
  busy_ = true;
  struct Idle {
    bool& busy;
    ~Idle() { busy = false; }
  } idle{busy_};

  const long long seq = ++seq_;
  QJsonObject message{{"seq", seq}, {"obj", object}, {"call", Q(member)}, {"args", args}};
  if (!socket_->Write(wire::Line(message), options_.callTimeoutMs)) {
    // A connection KorvaloDraw refused may end before the call goes out;
    // its reason arrived first.
    if (socket_->CanReadLine()) DropIfRefused(wire::Parse(socket_->ReadLine().chopped(1)));
    Drop(wire::kServerUnavailable, "The CAD program has ended or does not take calls");
  }

  const QByteArray line = ReadLine(unbounded);
  const std::optional<QJsonObject> reply = wire::Parse(line);
  DropIfRefused(reply);
  if (!reply || reply->value("seq").toInteger(-1) != seq || !reply->value("ok").isBool()) {
    Drop(wire::kAutomationError, "The CAD program gave a reply that could not be read");
  }
  if (!reply->value("ok").toBool()) {
    throw CadError(static_cast<long>(reply->value("number").toInteger(wire::kAutomationError)),
                   S(reply->value("description").toString("Automation error")));
  }
  return reply->value("value");
}

DrawAutomation::DrawAutomation(DrawOptions options) : options_(std::move(options)) {}

std::shared_ptr<Application> DrawAutomation::Attach(const std::string& programId) {
  std::string error;
  const std::optional<std::string> path = wire::SocketPath(programId, error);
  if (!path) throw CadError(kCannotCreateObject, error);
  last_ = DrawConnection::Open(*path, options_);
  return std::make_shared<RemoteApplication>(last_, wire::kApplicationObject);
}

std::shared_ptr<Application> DrawAutomation::GetObject(const std::string& programId) {
  return Attach(programId);
}

std::shared_ptr<Application> DrawAutomation::CreateObject(const std::string& programId) {
  // One KorvaloDraw runs for the user's runtime folder. When one runs,
  // answering or not, a second would only end at once: the one there is
  // waited for instead (it may still be opening its drawings).
  if (wire::InstanceRunning(programId)) {
    return AwaitSocket(programId, [&] { return wire::InstanceRunning(programId); }, [&] {
      return CadError(kServerBusy, "KorvaloDraw is running but did not answer within " +
                                       std::to_string(options_.startTimeoutMs / 1000) + " seconds");
    });
  }
  const QString program = Q(options_.programFolder) + "/KorvaloDraw";
  if (!QFileInfo(program).isExecutable()) {
    throw CadError(kCannotCreateObject, "KorvaloDraw was not found in " + options_.programFolder);
  }
  // KorvaloDraw outlives the program that started it: it keeps none of
  // its standard streams.
  QProcess process;
  process.setProgram(program);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardOutputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  qint64 pid = 0;
  if (!process.startDetached(&pid)) {
    throw CadError(kCannotCreateObject, "KorvaloDraw could not be started");
  }
  // The one started, or one another program started at the same moment
  // (the one started then ends at once).
  return AwaitSocket(
      programId, [&] { return wire::ProcessRunning(pid) || wire::InstanceRunning(programId); },
      [&] {
        // A KorvaloDraw that cannot be reached is of no use: end it rather
        // than leave a drawing program the link does not know.
        kill(static_cast<pid_t>(pid), SIGTERM);
        return CadError(kCannotCreateObject, "KorvaloDraw did not answer within " +
                                                 std::to_string(options_.startTimeoutMs / 1000) + " seconds");
      });
}

std::shared_ptr<Application> DrawAutomation::AwaitSocket(const std::string& programId,
                                                         const std::function<bool()>& running,
                                                         const std::function<CadError()>& timedOut) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    try {
      return Attach(programId);
    } catch (const CadError& e) {
      // Nothing listens yet; anything else is the answer.
      if (e.Number() != kCannotCreateObject) throw;
    }
    if (!running()) {
      throw CadError(kCannotCreateObject, "KorvaloDraw ended before it could be reached");
    }
    if (clock.elapsed() > options_.startTimeoutMs) throw timedOut();
    Pause(50);
  }
}

void DrawAutomation::SetFocus(WindowHandle window) {
  if (!last_) throw CadError(kObjectNotSet, "Object variable or With block variable not set");
  last_->Call(wire::kApplicationObject, "Activate", {static_cast<double>(window)});
}

}  // namespace korvalo::cad
