// KorvaloDraw in a real process: attaching, starting, the failures of the
// wire, and the selection on screen through the test input hook.

#include <QApplication>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QWidget>
#include <QThread>
#include <atomic>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/cad/draw_fixture.h"

namespace korvalo::cad::test {
namespace {

// The texts of a selection set, in set order.
std::vector<std::string> Texts(SelectionSet& set) {
  std::vector<std::string> out;
  for (int i = 0; i < set.Count(); ++i) {
    auto e = set.Item(i);
    out.push_back(e->EntityName() == "AcDbText" || e->EntityName() == "AcDbMText" ? e->TextString()
                                                                                    : e->EntityName());
  }
  return out;
}

TEST_F(DrawTest, StartsWithOneUntitledDrawingAndAnswersItsMembers) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  EXPECT_EQ(app->Documents()->Count(), 1);
  auto doc = app->ActiveDocument();
  EXPECT_EQ(doc->FullName(), "");
  EXPECT_NE(app->Hwnd(), 0u);

  doc->SetVariable("SDI", 1);
  EXPECT_EQ(doc->GetVariable("sdi"), 1);
  doc->SetVariable("OSMODE", 0);
  EXPECT_EQ(doc->GetVariable("OSMODE"), 0);
  EXPECT_EQ(NumberOf([&] { doc->GetVariable("NOSUCHVAR"); }), wire::kAutomationError);

  EXPECT_FALSE(State(automation)["maximized"].toBool());
  app->SetWindowState(3);
  doc->SetWindowState(3);
  EXPECT_TRUE(State(automation)["maximized"].toBool());
  EXPECT_EQ(State(automation)["status"].toString(), "Ready");

  // Opening in the document replaces its drawing; through the documents it
  // opens a second window, which becomes the active one.
  const std::string first = File("first.dxf", PickDrawing());
  doc->Open(first);
  EXPECT_EQ(doc->FullName(), first);
  const std::string second = File("second.dxf", PickDrawing());
  auto other = app->Documents()->Open(second);
  EXPECT_EQ(app->Documents()->Count(), 2);
  EXPECT_EQ(app->ActiveDocument()->FullName(), second);
  EXPECT_EQ(other->FullName(), second);

  // A file that is not a drawing fails with its number, the drawing stays.
  const std::string junk = File("junk.dwg", "not a drawing");
  EXPECT_EQ(NumberOf([&] { doc->Open(junk); }), 321);
  EXPECT_EQ(NumberOf([&] { doc->Open(dir_ + "/missing.dwg"); }), 53);
  EXPECT_EQ(NumberOf([&] { app->Documents()->Open(""); }), 53);
  EXPECT_EQ(doc->FullName(), first);
  EXPECT_EQ(app->Documents()->Count(), 2);
}

TEST_F(DrawTest, AttachesToAProgramTheUserStartedWithADrawing) {
  const std::string drawing = File("lots.dxf", PickDrawing());
  DrawAutomation automation(options);
  const auto app = StartByHandAndAttach(automation, {QString::fromStdString(drawing)});
  ASSERT_TRUE(app);
  EXPECT_EQ(app->Documents()->Count(), 1);
  EXPECT_EQ(app->ActiveDocument()->FullName(), drawing);
}

TEST_F(DrawTest, NoProgramToReachFailsAsCannotCreate) {
  DrawAutomation automation(options);
  EXPECT_EQ(NumberOf([&] { automation.GetObject(kProgramId); }), kCannotCreateObject);

  // Not in the program folder.
  DrawOptions missing = options;
  missing.programFolder = dir_;
  DrawAutomation nowhere(missing);
  EXPECT_EQ(NumberOf([&] { nowhere.CreateObject(kProgramId); }), kCannotCreateObject);

  // A program that starts but never opens its socket: the wait is bounded,
  // and the silent program is ended.
  DrawOptions silentOptions = ScriptedProgram("silent", "echo $$ > \"$0.pid\"\nexec sleep 30\n");
  const std::string folder = silentOptions.programFolder;
  silentOptions.startTimeoutMs = 1000;
  DrawAutomation silent(silentOptions);
  EXPECT_EQ(NumberOf([&] { silent.CreateObject(kProgramId); }), kCannotCreateObject);
  std::ifstream pidFile(folder + "/KorvaloDraw.pid");
  long long pid = 0;
  pidFile >> pid;
  pids_.insert(pid);
  for (int i = 0; i < 100 && Alive(pid); ++i) QThread::msleep(20);
  EXPECT_FALSE(Alive(pid));
}

TEST_F(DrawTest, StaleObjectsFailWithTheirNumber) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  doc->Open(File("a.dxf", PickDrawing()));
  auto sets = doc->SelectionSets();
  auto set = sets->Add("SS1");
  EXPECT_EQ(NumberOf([&] { sets->Add("ss1"); }), wire::kAutomationError);
  EXPECT_EQ(NumberOf([&] { sets->Item("SS2"); }), wire::kAutomationError);
  EXPECT_EQ(set->Count(), 0);

  // A set of a drawing that was replaced, a deleted set, a made-up number.
  doc->Open(File("b.dxf", PickDrawing()));
  EXPECT_EQ(NumberOf([&] { set->Count(); }), wire::kUnknownObject);
  auto again = doc->SelectionSets()->Add("SS1");
  again->Delete();
  EXPECT_EQ(NumberOf([&] { again->SelectOnScreen(); }), wire::kUnknownObject);
  EXPECT_EQ(NumberOf([&] { automation.LastConnection()->Call(987654, "FullName"); }), wire::kUnknownObject);
  EXPECT_EQ(NumberOf([&] { automation.LastConnection()->Call(wire::kApplicationObject, "Quit"); }), 438);
  // The connection still works after those.
  EXPECT_EQ(doc->SelectionSets()->Add("SS2")->Count(), 0);
}

// A socket that answers like nothing KorvaloDraw says.
class FakeServer {
 public:
  FakeServer(const std::string& path, std::vector<QByteArray> replies) : replies_(std::move(replies)) {
    QLocalServer::removeServer(QString::fromStdString(path));
    EXPECT_TRUE(server_.listen(QString::fromStdString(path)));
    QObject::connect(&server_, &QLocalServer::newConnection, [this] {
      QLocalSocket* s = server_.nextPendingConnection();
      QObject::connect(s, &QLocalSocket::readyRead, [this, s] {
        while (s->canReadLine()) {
          s->readLine();
          if (next_ < replies_.size()) s->write(replies_[next_++]);
          s->flush();
        }
      });
    });
  }

 private:
  QLocalServer server_;
  std::vector<QByteArray> replies_;
  std::size_t next_ = 0;
};

TEST_F(DrawTest, AGarbledReplyFailsAndDropsTheConnection) {
  {
    FakeServer fake(SocketPath(), {"garbage\n"});
    DrawAutomation automation(options);
    EXPECT_EQ(NumberOf([&] { automation.GetObject(kProgramId); }), wire::kAutomationError);
  }
  {
    // A reply to another call, then nothing more.
    FakeServer fake(SocketPath(), {R"({"seq":1,"ok":true,"value":{"app":1,"pid":1}})"
                                   "\n",
                                   R"({"seq":99,"ok":true,"value":1})"
                                   "\n"});
    DrawAutomation automation(options);
    auto app = automation.GetObject(kProgramId);
    EXPECT_EQ(NumberOf([&] { app->Documents()->Count(); }), wire::kAutomationError);
    EXPECT_EQ(NumberOf([&] { app->Documents(); }), wire::kServerUnavailable);
  }
  {
    // A server that accepts and never answers: the call's time runs out.
    FakeServer fake(SocketPath(), {R"({"seq":1,"ok":true,"value":{"app":1,"pid":1}})"
                                   "\n"});
    DrawOptions quick = options;
    quick.callTimeoutMs = 300;
    DrawAutomation automation(quick);
    auto app = automation.GetObject(kProgramId);
    EXPECT_EQ(NumberOf([&] { app->Documents(); }), wire::kServerUnavailable);
  }
}

TEST_F(DrawTest, AKilledProgramFailsTheNextCall) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  const long long pid = automation.LastConnection()->Pid();
  kill(static_cast<pid_t>(pid), SIGKILL);
  for (int i = 0; i < 200 && Alive(pid); ++i) QThread::msleep(10);
  EXPECT_EQ(NumberOf([&] { doc->FullName(); }), wire::kServerUnavailable);
  EXPECT_EQ(NumberOf([&] { app->Documents(); }), wire::kServerUnavailable);
  // The socket it left behind answers nobody.
  EXPECT_EQ(NumberOf([&] { automation.GetObject(kProgramId); }), kCannotCreateObject);
  // A new one starts over the stale socket.
  auto fresh = Start(automation);
  EXPECT_EQ(fresh->Documents()->Count(), 1);
}

struct SelectionCase {
  const char* name;
  std::vector<QJsonObject> input;
  std::vector<std::string> expected;
};

TEST_F(DrawTest, SelectionOnScreen) {
  const std::vector<SelectionCase> cases = {
      {"clicks in selection order", {Click(11, 21), Click(11, 11), Press("Enter")}, {"100.00", "N45%%d30'15\"E"}},
      // The line crosses the text there: the text wins.
      {"a text before a line", {Click(12, 11.5), Press("Enter")}, {"N45%%d30'15\"E"}},
      {"a line where no text is", {Click(55, 11), Press("Enter")}, {"AcDbLine"}},
      {"the same entity once", {Click(11, 21), Click(11, 21), Press("Enter")}, {"100.00"}},
      {"shift+click removes",
       {Click(11, 11), Click(11, 21), Click(11, 11, true), Click(11, 31, true), Press("Enter")},
       {"100.00"}},
      {"a box adds what lies wholly inside, in drawing order",
       {Click(11, 21), Box(-1, 5, 70, 40), Press("Enter")},
       {"100.00", "AcDbLine", "N45%%d30'15\"E", "{\\A1;R=150.00}"}},
      {"a box misses what crosses it", {Box(5, 5, 40, 40), Press("Enter")},
       {"N45%%d30'15\"E", "100.00", "{\\A1;R=150.00}"}},
      {"nothing under the click", {Click(100, 100), Press("Enter")}, {}},
      {"Escape returns the set empty", {Click(11, 11), Click(11, 21), Press("Escape")}, {}},
  };
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  doc->Open(File("pick.dxf", PickDrawing()));
  for (const SelectionCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto sets = doc->SelectionSets();
    try {
      sets->Item("SS1")->Delete();
    } catch (const CadError&) {
    }
    auto set = sets->Add("SS1");
    QJsonArray events;
    for (const QJsonObject& e : c.input) events.append(e);
    Input(automation, events);
    set->SelectOnScreen();
    EXPECT_EQ(Texts(*set), c.expected);
    EXPECT_EQ(State(automation)["status"].toString(), "Ready");
  }
}

TEST_F(DrawTest, RemovingItemsLeavesTheDrawing) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  doc->Open(File("pick.dxf", PickDrawing()));
  auto set = doc->SelectionSets()->Add("SS1");
  Input(automation, {Box(-1, 5, 70, 40), Press("Enter")});
  set->SelectOnScreen();
  ASSERT_EQ(set->Count(), 4);
  set->RemoveItems({set->Item(0)});
  EXPECT_EQ(Texts(*set), (std::vector<std::string>{"N45%%d30'15\"E", "100.00", "{\\A1;R=150.00}"}));
  // The entities are still in the drawing: a new selection finds the line.
  auto next = doc->SelectionSets()->Add("SS2");
  Input(automation, {Click(55, 11), Press("Enter")});
  next->SelectOnScreen();
  EXPECT_EQ(Texts(*next), (std::vector<std::string>{"AcDbLine"}));
  EXPECT_EQ(NumberOf([&] { next->Item(1); }), 5);
  EXPECT_EQ(NumberOf([&] { next->Item(0)->TextString(); }), 438);
}

TEST_F(DrawTest, ClosingTheWindowFailsTheSelectionAndEndsTheProgram) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  const long long pid = automation.LastConnection()->Pid();
  auto set = app->ActiveDocument()->SelectionSets()->Add("SS1");
  Input(automation, {Click(11, 11), QJsonObject{{"do", "close"}}});
  EXPECT_EQ(NumberOf([&] { set->SelectOnScreen(); }), wire::kAutomationError);
  for (int i = 0; i < 200 && Alive(pid); ++i) QThread::msleep(20);
  EXPECT_FALSE(Alive(pid));
}

TEST_F(DrawTest, TheStatusLineTellsTheSelectionAndOtherCallersAreServedMeanwhile) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  doc->Open(File("pick.dxf", PickDrawing()));
  auto set = doc->SelectionSets()->Add("SS1");
  Input(automation, {Click(11, 11), Click(11, 21)});

  // A second connection on a thread of its own watches and ends the selection.
  std::string socket = SocketPath();
  QJsonObject seen;
  std::atomic<bool> failed = false;
  std::thread watcher([&] {
    try {
      auto other = DrawConnection::Open(socket, 30000);
      for (int i = 0; i < 500; ++i) {
        seen = other->Call(wire::kApplicationObject, "TestState").toObject();
        if (seen["selected"].toArray().size() == 2) break;
        QThread::msleep(10);
      }
      QJsonArray args;
      args.append(QJsonArray{QJsonObject{{"do", "wheel"}, {"delta", 120}, {"x", 10}, {"y", 10}},
                             QJsonObject{{"do", "key"}, {"key", "Enter"}}});
      other->Call(wire::kApplicationObject, "TestInput", args);
    } catch (const CadError&) {
      failed = true;
    }
  });
  double before[4];
  {
    const QJsonArray v = State(automation)["view"].toArray();
    for (int i = 0; i < 4; ++i) before[i] = v[i].toDouble();
  }
  set->SelectOnScreen();
  watcher.join();
  ASSERT_FALSE(failed);
  EXPECT_TRUE(seen["status"].toString().startsWith("Select objects")) << seen["status"].toString().toStdString();
  EXPECT_TRUE(seen["status"].toString().endsWith("Selected: 2")) << seen["status"].toString().toStdString();
  EXPECT_EQ(set->Count(), 2);
  // The wheel zoomed in about the cursor.
  const QJsonArray after = State(automation)["view"].toArray();
  EXPECT_NEAR(after[2].toDouble() - after[0].toDouble(), 0.8 * (before[2] - before[0]), 1e-6 * (before[2] - before[0]));
  EXPECT_NEAR(after[0].toDouble(), 10 + (before[0] - 10) * 0.8, 1e-6 * (before[2] - before[0]));
}

// A widget that counts what reaches it.
class Counter : public QWidget {
 public:
  int keys = 0, clicks = 0;

 protected:
  void keyPressEvent(QKeyEvent*) override { ++keys; }
  void mousePressEvent(QMouseEvent*) override { ++clicks; }
};

TEST_F(DrawTest, UserInputDuringACallIsDroppedNotQueued) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto set = app->ActiveDocument()->SelectionSets()->Add("SS1");
  Counter editor;
  editor.show();
  QCoreApplication::postEvent(&editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  QCoreApplication::postEvent(&editor, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  Input(automation, {Press("Enter")});
  set->SelectOnScreen();
  QCoreApplication::processEvents();
  EXPECT_EQ(editor.keys, 0);
  EXPECT_EQ(editor.clicks, 0);
  // Out of the call, input reaches the window again.
  QCoreApplication::postEvent(&editor, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
  QCoreApplication::processEvents();
  EXPECT_EQ(editor.keys, 1);
}

// A raw client of KorvaloDraw's socket.
class RawClient {
 public:
  explicit RawClient(const std::string& path) { socket_.connectToServer(QString::fromStdString(path)); }
  bool Connected() { return socket_.state() == QLocalSocket::ConnectedState || socket_.waitForConnected(5000); }
  // Whether KorvaloDraw answers its greeting.
  bool Hello() {
    if (!Connected()) return false;
    socket_.write(R"({"seq":1,"obj":0,"call":"Hello","args":[]})" "\n");
    socket_.flush();
    for (int i = 0; i < 100 && !socket_.canReadLine(); ++i) {
      if (!socket_.waitForReadyRead(100) && socket_.state() != QLocalSocket::ConnectedState) return false;
    }
    if (!socket_.canReadLine()) return false;
    const std::optional<QJsonObject> reply = wire::Parse(socket_.readLine().chopped(1));
    return reply && reply->value("ok").toBool();
  }
  // Sends the bytes; true when KorvaloDraw ends the connection meanwhile or
  // within a few seconds after.
  bool SendAndSeeItDropped(const QByteArray& bytes) {
    constexpr qsizetype kChunk = 64 * 1024;
    for (qsizetype at = 0; at < bytes.size() && Open(); at += kChunk) {
      socket_.write(bytes.mid(at, kChunk));
      socket_.waitForBytesWritten(2000);
    }
    for (int i = 0; i < 100 && Open(); ++i) socket_.waitForDisconnected(100);
    return !Open();
  }
  bool Open() const { return socket_.state() != QLocalSocket::UnconnectedState; }
  void Close() {
    socket_.disconnectFromServer();
    if (Open()) socket_.waitForDisconnected(2000);
  }

 private:
  QLocalSocket socket_;
};

// A client that sends bytes without end, a line far too long, or one
// connection too many is dropped or refused; the socket keeps listening and
// every other client is served.
TEST_F(DrawTest, OversizedCallsAndOneClientTooManyAreRefusedWhileTheSocketListens) {
  ::signal(SIGPIPE, SIG_IGN);
  DrawAutomation automation(options);
  auto app = Start(automation);  // one connection

  struct Case {
    const char* what;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"bytes without a line end", QByteArray(wire::kLongestCall + 65536, 'x')},
      {"one line longer than a call", QByteArray(wire::kLongestCall + 65536, ' ') + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawClient hostile(SocketPath());
    ASSERT_TRUE(hostile.Connected());
    EXPECT_TRUE(hostile.SendAndSeeItDropped(c.bytes));
    RawClient next(SocketPath());
    EXPECT_TRUE(next.Hello());
  }
  EXPECT_EQ(app->Documents()->Count(), 1);

  // Every connection up to the limit is served; the next one is refused.
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 1; i < wire::kMostConnections; ++i) {
    idle.push_back(std::make_unique<RawClient>(SocketPath()));
    ASSERT_TRUE(idle.back()->Hello()) << i;
  }
  RawClient refused(SocketPath());
  EXPECT_TRUE(refused.SendAndSeeItDropped({}));
  EXPECT_FALSE(refused.Hello());
  EXPECT_EQ(app->Documents()->Count(), 1);  // the link's own connection goes on

  // One connection ends: a new client is served again.
  idle.back()->Close();
  idle.pop_back();
  bool served = false;
  for (int attempt = 0; attempt < 50 && !served; ++attempt) {
    RawClient again(SocketPath());
    served = again.Hello();
    if (!served) QThread::msleep(100);
  }
  EXPECT_TRUE(served);
}

// A client that writes calls and never reads a reply: KorvaloDraw keeps a
// bounded part of the replies and then drops it, and another client is
// answered all along.
TEST_F(DrawTest, AClientThatNeverReadsIsDroppedAndTheOthersAreServedMeanwhile) {
  ::signal(SIGPIPE, SIG_IGN);
  DrawAutomation automation(options);
  auto app = Start(automation);

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = SocketPath();
  std::memcpy(address.sun_path, path.data(), path.size());
  ASSERT_EQ(::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

  // Each call fails with a reply longer than itself.
  QByteArray calls;
  for (int i = 0; i < 1000; ++i) calls += R"({"seq":1,"obj":999999,"call":"Count","args":[]})" "\n";
  long long written = 0;
  bool dropped = false;
  int served = 0;
  while (!dropped && written < 64LL << 20) {
    qsizetype at = 0;
    while (at < calls.size()) {
      pollfd room{fd, POLLOUT, 0};
      // KorvaloDraw takes calls as long as it keeps the client: no write
      // waits long.
      ASSERT_GT(::poll(&room, 1, 20000), 0) << "KorvaloDraw stopped taking calls after " << written;
      const ssize_t n = ::send(fd, calls.constData() + at, static_cast<size_t>(calls.size() - at),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
      if (n <= 0) {
        dropped = true;
        break;
      }
      at += n;
      written += n;
    }
    if (written / (1 << 20) > served) {  // once a megabyte
      EXPECT_EQ(app->Documents()->Count(), 1);
      ++served;
    }
  }
  ::close(fd);
  EXPECT_TRUE(dropped) << written << " bytes of calls taken without a reply read";
  EXPECT_GT(served, 0);
  EXPECT_EQ(app->Documents()->Count(), 1);
}

// Numbers that fit no member's argument are refused, naming what came; the
// program goes on (no conversion of a value out of range).
TEST_F(DrawTest, NumbersOutOfRangeAreRefusedNamingTheValue) {
  DrawAutomation automation(options);
  Start(automation);
  auto doc = automation.LastConnection()->Call(wire::kApplicationObject, "ActiveDocument").toObject()["obj"].toInt();
  struct Case {
    int object;  // 0: the active document
    const char* member;
    QJsonArray args;
    const char* description;
  };
  const Case cases[] = {
      {wire::kApplicationObject, "Activate", {1e308}, "Invalid window handle 1e+308"},
      {wire::kApplicationObject, "Activate", {-1e308}, "Invalid window handle -1e+308"},
      {wire::kApplicationObject, "Activate", {2.5}, "Invalid window handle 2.5"},
      {wire::kApplicationObject, "Activate", {std::numeric_limits<double>::quiet_NaN()},
       "Type mismatch: a number was expected, not null"},
      {wire::kApplicationObject, "SetWindowState", {99999999999.0}, "Invalid window state 99999999999"},
      {wire::kApplicationObject, "SetWindowState", {-1e308}, "Invalid window state -1e+308"},
      {0, "SetWindowState", {99999999999.0}, "Invalid window state 99999999999"},
      {0, "SetVariable", {"SDI", 1e10}, "Invalid value for SDI 10000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.member) + " " + c.description);
    try {
      automation.LastConnection()->Call(c.object == 0 ? doc : c.object, c.member, c.args);
      ADD_FAILURE() << "accepted";
    } catch (const CadError& e) {
      EXPECT_EQ(e.Number(), 5);
      EXPECT_EQ(e.Description(), c.description);
    }
  }
  EXPECT_EQ(State(automation)["windows"].toInt(), 1);
}

TEST(DrawWire, TheRuntimeFolderIsPrivate) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string keep = saved ? saved : "";
  unsetenv("XDG_RUNTIME_DIR");
  std::string error;
  const auto folder = wire::RuntimeFolder(error);
  ASSERT_TRUE(folder) << error;
  struct stat st {};
  ASSERT_EQ(lstat(folder->c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(st.st_uid, getuid());
  if (saved) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace korvalo::cad::test
