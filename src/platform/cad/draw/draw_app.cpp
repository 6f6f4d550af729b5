#include "platform/cad/draw/draw_app.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <limits>
#include <utility>

#include "common/utf8.h"
#include "platform/cad/cad.h"
#include "platform/cad/protocol.h"

namespace korvalo::draw {
namespace wire = cad::wire;

namespace {

constexpr int kDocumentsObject = 2;
constexpr long kNoSuchMember = 438;
constexpr long kBadArgument = 5;
// Calls taken from one connection before the others get their turn.
constexpr int kCallsPerTurn = 64;

std::string S(const QString& s) { return s.toStdString(); }

std::string Upper(const std::string& s) {
  std::string out = s;
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return out;
}

QJsonValue Arg(const QJsonArray& args, int i) {
  if (i >= args.size()) throw Failure{kBadArgument, "Argument not optional"};
  return args.at(i);
}

std::string TextArg(const QJsonArray& args, int i) {
  const QJsonValue v = Arg(args, i);
  if (!v.isString()) throw Failure{kBadArgument, "Type mismatch: a text was expected"};
  return S(v.toString());
}

// A drawing file to open; an empty name names no file.
std::string DrawingArg(const QJsonArray& args, int i) {
  std::string path = TextArg(args, i);
  if (path.empty()) throw Failure{53, "File not found"};
  return path;
}

// A whole number within [least, most]; what names it in the refusal of any
// other value ("window state" gives "Invalid window state 99999999999").
long long WholeArg(const QJsonArray& args, int i, long long least, long long most, const std::string& what) {
  const QJsonValue v = Arg(args, i);
  if (!v.isDouble()) throw Failure{kBadArgument, "Type mismatch: a number was expected, not " + wire::WireText(v)};
  const std::optional<long long> n = wire::WholeNumber(v, least, most);
  if (!n) throw Failure{kBadArgument, "Invalid " + what + " " + wire::WireText(v)};
  return *n;
}

int IntArg(const QJsonArray& args, int i, const std::string& what) {
  return static_cast<int>(
      WholeArg(args, i, std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), what));
}

[[noreturn]] void NoMember(const std::string& member) {
  throw Failure{kNoSuchMember, "Object doesn't support this property or method: " + member};
}

}  // namespace

struct DrawApp::Connection {
  QLocalSocket* socket = nullptr;
  bool waiting = false;  // a selection's answer is due first
  bool held = false;     // the test hook keeps the next call waiting
  bool resuming = false; // the rest of its calls are taken on the next turn
};

DrawApp::DrawApp(bool testInput) : testInput_(testInput) {
  objects_[kDocumentsObject] = Documents{};
  QCoreApplication::instance()->installEventFilter(this);
}

DrawApp::~DrawApp() {
  QCoreApplication::instance()->removeEventFilter(this);
  if (server_) server_->close();
  for (auto& c : connections_) c->socket->abort();
}

bool DrawApp::Listen(const std::string& programId, std::string& error) {
  const std::optional<std::string> path = wire::SocketPath(programId, error);
  if (!path) return false;
  const QString name = QString::fromStdString(*path);
  // The caller holds the instance lock: what is left there is the socket of
  // a KorvaloDraw that ended. (A running one, even one too busy to take a
  // connection, holds the lock, so its socket is never taken.)
  QLocalServer::removeServer(name);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name)) {
    error = "Cannot listen on " + *path + ": " + S(server_->errorString());
    return false;
  }
  chmod(path->c_str(), 0600);
  connect(server_, &QLocalServer::newConnection, this, [this] { Accept(); });
  return true;
}

void DrawApp::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    if (connections_.size() >= static_cast<std::size_t>(wire::kMostConnections)) {
      // Refused with the reason, and the connection ends: the socket keeps
      // listening (connections that piled up until no file could be opened
      // would close it for good).
      socket->write(wire::Refusal(
          cad::kServerBusy, "KorvaloDraw is running but is at its limit of " +
                                std::to_string(wire::kMostConnections) +
                                " connections. Close programs linked to it, or KorvaloDraw, and try again."));
      socket->flush();
      socket->abort();
      socket->deleteLater();
      continue;
    }
    // Qt reads no more than one call's bytes ahead of the calls taken.
    socket->setReadBufferSize(wire::kLongestCall + 1);
    auto connection = std::make_shared<Connection>();
    connection->socket = socket;
    connections_.push_back(connection);
    std::weak_ptr<Connection> weak = connection;
    connect(socket, &QLocalSocket::readyRead, this, [this, weak] {
      if (auto c = weak.lock()) ReadCalls(*c);
    });
    connect(socket, &QLocalSocket::disconnected, this, [this, weak] {
      if (auto c = weak.lock()) Dropped(c.get());
    });
    ReadCalls(*connection);
  }
}

void DrawApp::Dropped(Connection* connection) {
  // A selection nobody waits for any more ends without an answer.
  if (connection->waiting) {
    if (DrawWindow* w = Selecting()) w->AbandonSelection();
  }
  connection->socket->deleteLater();
  std::erase_if(connections_, [connection](const auto& c) { return c.get() == connection; });
}

std::weak_ptr<DrawApp::Connection> DrawApp::WeakOf(Connection& c) const {
  for (const auto& shared : connections_) {
    if (shared.get() == &c) return shared;
  }
  return {};
}

void DrawApp::DropClient(Connection& c) {
  QLocalSocket* socket = c.socket;
  socket->disconnect(this);
  Dropped(&c);
  socket->abort();
}

void DrawApp::ReadCalls(Connection& c) {
  // Bytes without a line end beyond the longest call: no call comes of them.
  if (!c.socket->canReadLine() && c.socket->bytesAvailable() > wire::kLongestCall) {
    DropClient(c);
    return;
  }
  for (int taken = 0; !c.waiting && !c.held && c.socket->canReadLine(); ++taken) {
    if (taken == kCallsPerTurn) {
      // A client with many calls queued waits its turn behind the others.
      if (!c.resuming) ReadLater(c, 0, &Connection::resuming);
      return;
    }
    if (busyNextMs_ > 0) {
      // The test hook: the call is taken only when the time has passed, as
      // by a program busy with something else.
      ReadLater(c, std::exchange(busyNextMs_, 0), &Connection::held);
      return;
    }
    QByteArray line = c.socket->readLine(wire::kLongestCall + 1);
    if (!line.endsWith('\n')) {  // a line longer than the longest call
      DropClient(c);
      return;
    }
    line.chop(1);
    TakeCall(c, line);
    if (Unread(c)) return;
  }
}

void DrawApp::ReadLater(Connection& c, int ms, bool Connection::*pause) {
  c.*pause = true;
  QTimer::singleShot(ms, this, [this, pause, weak = WeakOf(c)] {
    if (auto connection = weak.lock()) {
      connection.get()->*pause = false;
      ReadCalls(*connection);
    }
  });
}

void DrawApp::TakeCall(Connection& c, const QByteArray& line) {
  const std::optional<QJsonObject> call = wire::Parse(line);
  if (!call) {
    ReplyFailure(c, -1, Failure{wire::kAutomationError, "A call that could not be read"});
    return;
  }
  const long long seq = call->value("seq").toInteger(-1);
  try {
    const std::optional<QJsonValue> value = Dispatch(c, seq, call->value("obj").toInt(-1),
                                                     S(call->value("call").toString()),
                                                     call->value("args").toArray());
    if (value) {
      Reply(c, seq, *value);
    } else {
      c.waiting = true;
    }
  } catch (const Failure& failure) {
    ReplyFailure(c, seq, failure);
  } catch (const std::exception& e) {
    ReplyFailure(c, seq, Failure{wire::kAutomationError, e.what()});
  }
}

bool DrawApp::Unread(Connection& c) {
  if (c.socket->bytesToWrite() <= wire::kMostUnread) return false;
  DropClient(c);
  return true;
}

void DrawApp::Reply(Connection& c, long long seq, const QJsonValue& value) {
  c.socket->write(wire::Line(QJsonObject{{"seq", seq}, {"ok", true}, {"value", value}}));
  c.socket->flush();
}

void DrawApp::ReplyFailure(Connection& c, long long seq, const Failure& failure) {
  c.socket->write(wire::Line(QJsonObject{{"seq", seq},
                                         {"ok", false},
                                         {"number", static_cast<qint64>(failure.number)},
                                         {"description", QString::fromStdString(failure.description)}}));
  c.socket->flush();
}

int DrawApp::Register(Object object) {
  const int id = nextObject_++;
  objects_.emplace(id, std::move(object));
  return id;
}

DrawWindow& DrawApp::Window(int id) {
  for (auto& w : windows_) {
    if (w->Id() == id) return *w;
  }
  throw Failure{wire::kUnknownObject, "The drawing was closed"};
}

DrawWindow& DrawApp::Active() {
  for (auto it = activation_.rbegin(); it != activation_.rend(); ++it) {
    for (auto& w : windows_) {
      if (w->Id() == *it) return *w;
    }
  }
  if (windows_.empty()) throw Failure{wire::kAutomationError, "No drawing is open"};
  return *windows_.back();
}

DrawWindow* DrawApp::Selecting() {
  for (auto& w : windows_) {
    if (w->Selecting()) return w.get();
  }
  return nullptr;
}

int DrawApp::EntityId(DrawWindow& window, int index) {
  const auto key = std::make_tuple(window.Id(), window.Generation(), index);
  if (auto it = entityIds_.find(key); it != entityIds_.end()) return it->second;
  const int id = Register(EntityRef{window.Id(), window.Generation(), index});
  entityIds_[key] = id;
  return id;
}

DrawWindow& DrawApp::OpenWindow(const std::string& path) {
  const int id = nextWindow_++;
  DrawWindow::Events events;
  events.closed = [this](DrawWindow& w) { WindowClosed(w); };
  events.activated = [this](DrawWindow& w) { WindowActivated(w); };
  auto window = std::make_unique<DrawWindow>(id, "Drawing" + std::to_string(untitled_ + 1) + ".dwg", events);
  if (!path.empty()) window->Open(path);
  if (path.empty()) ++untitled_;
  DrawWindow& w = *window;
  windows_.push_back(std::move(window));
  const int documentId = Register(DocumentRef{id});
  documentIds_[id] = documentId;
  w.Show();
  WindowActivated(w);
  return w;
}

void DrawApp::WindowActivated(DrawWindow& window) {
  std::erase(activation_, window.Id());
  activation_.push_back(window.Id());
}

void DrawApp::WindowClosed(DrawWindow& window) {
  const int id = window.Id();
  std::erase(activation_, id);
  std::erase_if(objects_, [id](const auto& entry) {
    return std::visit(
        [id](const auto& o) {
          if constexpr (requires { o.window; }) {
            return o.window == id;
          } else {
            return false;
          }
        },
        entry.second);
  });
  std::erase_if(entityIds_, [id](const auto& entry) { return std::get<0>(entry.first) == id; });
  if (auto it = sets_.find(id); it != sets_.end()) {
    for (auto& [name, set] : it->second) set->deleted = true;
    sets_.erase(it);
  }
  documentIds_.erase(id);
  setsIds_.erase(id);
  // The window goes once its close has finished; the program ends with the
  // last one.
  auto it = std::find_if(windows_.begin(), windows_.end(), [id](const auto& w) { return w->Id() == id; });
  if (it == windows_.end()) return;
  std::shared_ptr<DrawWindow> closing(std::move(*it));
  windows_.erase(it);
  QTimer::singleShot(0, this, [this, closing] {
    if (windows_.empty()) QCoreApplication::quit();
  });
}

std::optional<QJsonValue> DrawApp::Dispatch(Connection& c, long long seq, int object, const std::string& member,
                                            const QJsonArray& args) {
  if (object == 0) {
    if (member != "Hello") NoMember(member);
    return QJsonObject{{"app", wire::kApplicationObject}, {"pid", static_cast<qint64>(getpid())}};
  }
  if (object == wire::kApplicationObject) return Application(c, seq, member, args);
  const auto it = objects_.find(object);
  if (it == objects_.end()) {
    throw Failure{wire::kUnknownObject,
                  "Object " + std::to_string(object) + " does not exist (its drawing was closed or replaced)"};
  }
  Object& o = it->second;
  if (std::holds_alternative<Documents>(o)) {
    if (member == "Count") return static_cast<int>(windows_.size());
    if (member == "Open") {
      DrawWindow& w = OpenWindow(DrawingArg(args, 0));
      return Ref(documentIds_.at(w.Id()));
    }
    NoMember(member);
  }
  if (auto* d = std::get_if<DocumentRef>(&o)) return DocumentCall(Window(d->window), member, args);
  if (auto* s = std::get_if<SetsRef>(&o)) return SetsCall(Window(s->window), member, args);
  if (auto* s = std::get_if<SetRef>(&o)) return SetCall(c, seq, Window(s->window), *s->set, member, args);
  const EntityRef e = std::get<EntityRef>(o);
  DrawWindow& w = Window(e.window);
  if (w.Generation() != e.generation) throw Failure{wire::kUnknownObject, "The drawing of the entity was replaced"};
  return EntityCall(w, e.index, member);
}

std::optional<QJsonValue> DrawApp::Application(Connection&, long long, const std::string& member,
                                               const QJsonArray& args) {
  if (member == "SetVisible") {
    const bool visible = Arg(args, 0).toBool();
    for (auto& w : windows_) w->SetVisible(visible);
    return QJsonValue();
  }
  if (member == "ActiveDocument") return Ref(documentIds_.at(Active().Id()));
  if (member == "Documents") return Ref(kDocumentsObject);
  if (member == "SetWindowState") {
    Active().SetWindowState(IntArg(args, 0, "window state"));
    return QJsonValue();
  }
  if (member == "Hwnd") return static_cast<double>(Active().Handle());
  if (member == "Activate") {
    const auto handle = static_cast<std::uint64_t>(WholeArg(args, 0, 0, wire::kMostWindowHandle, "window handle"));
    for (auto& w : windows_) {
      if (w->Handle() == handle) w->Activate();
    }
    return QJsonValue();
  }
  if (testInput_ && member == "TestInput") return TestInput(Arg(args, 0).toArray());
  if (testInput_ && member == "TestState") return TestState();
  if (testInput_ && member == "TestBusy") {
    busyNextMs_ = IntArg(args, 0, "time");
    return QJsonValue();
  }
  NoMember(member);
}

QJsonValue DrawApp::DocumentCall(DrawWindow& w, const std::string& member, const QJsonArray& args) {
  if (member == "FullName") return QString::fromStdString(w.FullName());
  if (member == "Open") {
    if (w.Selecting()) throw Failure{wire::kAutomationError, "The drawing is busy with a selection"};
    w.Open(DrawingArg(args, 0));
    // The selection sets went with the drawing they were made in.
    if (auto it = sets_.find(w.Id()); it != sets_.end()) {
      for (auto& [name, set] : it->second) {
        set->deleted = true;
        objects_.erase(set->id);
      }
      sets_.erase(it);
    }
    return QJsonValue();
  }
  if (member == "GetVariable" || member == "SetVariable") {
    const std::string name = Upper(TextArg(args, 0));
    const auto it = w.Variables().find(name);
    if (it == w.Variables().end()) throw Failure{wire::kAutomationError, "Unknown system variable " + name};
    if (member == "GetVariable") return it->second;
    const int value = static_cast<int>(WholeArg(args, 1, -32768, 32767, "value for " + name));
    it->second = value;
    return QJsonValue();
  }
  if (member == "SetWindowState") {
    w.SetWindowState(IntArg(args, 0, "window state"));
    return QJsonValue();
  }
  if (member == "SelectionSets") {
    auto it = setsIds_.find(w.Id());
    if (it == setsIds_.end()) it = setsIds_.emplace(w.Id(), Register(SetsRef{w.Id()})).first;
    return Ref(it->second);
  }
  NoMember(member);
}

QJsonValue DrawApp::SetsCall(DrawWindow& w, const std::string& member, const QJsonArray& args) {
  const std::string name = TextArg(args, 0);
  auto& sets = sets_[w.Id()];
  const auto it = sets.find(Upper(name));
  if (member == "Item") {
    if (it == sets.end()) throw Failure{wire::kAutomationError, "No selection set named " + name};
    return Ref(it->second->id);
  }
  if (member == "Add") {
    if (it != sets.end()) throw Failure{wire::kAutomationError, "A selection set named " + name + " exists"};
    auto set = std::make_shared<SelectionSetData>();
    set->name = name;
    set->id = Register(SetRef{w.Id(), set});
    sets[Upper(name)] = set;
    return Ref(set->id);
  }
  NoMember(member);
}

std::optional<QJsonValue> DrawApp::SetCall(Connection& c, long long seq, DrawWindow& w, SelectionSetData& set,
                                           const std::string& member, const QJsonArray& args) {
  if (set.deleted) throw Failure{wire::kUnknownObject, "The selection set " + set.name + " was deleted"};
  if (member == "Delete") {
    set.deleted = true;
    objects_.erase(set.id);
    sets_[w.Id()].erase(Upper(set.name));
    return QJsonValue();
  }
  if (member == "SelectOnScreen") {
    if (Selecting()) throw Failure{wire::kAutomationError, "A selection is already running"};
    set.entities.clear();
    const std::shared_ptr<SelectionSetData> keep = sets_[w.Id()].at(Upper(set.name));
    const std::weak_ptr<Connection> weak = WeakOf(c);
    w.BeginSelection([this, weak, seq, keep](bool closed, const std::vector<int>& entities) {
      const std::shared_ptr<Connection> connection = weak.lock();
      if (!connection) return;
      connection->waiting = false;
      if (closed) {
        ReplyFailure(*connection, seq,
                     Failure{wire::kAutomationError, "The selection ended: the drawing window was closed"});
      } else {
        keep->entities = entities;
        Reply(*connection, seq, QJsonValue());
      }
      if (Unread(*connection)) return;
      QTimer::singleShot(0, this, [this, weak] {
        if (auto c = weak.lock()) ReadCalls(*c);
      });
    });
    QTimer::singleShot(0, this, [this] { PlayTestInput(); });
    return std::nullopt;
  }
  if (member == "Count") return static_cast<int>(set.entities.size());
  if (member == "Item") {
    const int index = IntArg(args, 0, "index");
    if (index < 0 || index >= static_cast<int>(set.entities.size())) {
      throw Failure{kBadArgument, "Index " + std::to_string(index) + " out of range"};
    }
    return Ref(EntityId(w, set.entities[static_cast<std::size_t>(index)]));
  }
  if (member == "RemoveItems") {
    for (const QJsonValue& id : Arg(args, 0).toArray()) {
      const auto it = objects_.find(id.toInt());
      const EntityRef* e = it == objects_.end() ? nullptr : std::get_if<EntityRef>(&it->second);
      if (!e || e->window != w.Id() || e->generation != w.Generation()) {
        throw Failure{wire::kUnknownObject, "Not an entity of this drawing"};
      }
      std::erase(set.entities, e->index);
    }
    return QJsonValue();
  }
  NoMember(member);
}

QJsonValue DrawApp::EntityCall(DrawWindow& w, int index, const std::string& member) {
  if (member == "EntityName") return QString::fromStdString(w.EntityName(index));
  if (member == "TextString") {
    if (w.EntityName(index) != "AcDbText" && w.EntityName(index) != "AcDbMText") NoMember(member);
    return QString::fromStdString(w.TextString(index));
  }
  NoMember(member);
}

// --- the test hook: input played into the window that selects ---------------

QJsonValue DrawApp::TestInput(const QJsonArray& events) {
  for (const QJsonValue& e : events) testEvents_.push_back(e.toObject());
  PlayTestInput();
  return QJsonValue();
}

void DrawApp::PlayTestInput() {
  while (!testEvents_.empty()) {
    DrawWindow* w = Selecting();
    if (!w) return;
    const QJsonObject e = testEvents_.front();
    testEvents_.erase(testEvents_.begin());
    const std::string kind = S(e.value("do").toString());
    const bool shift = e.value("shift").toBool();
    if (kind == "click") {
      const double x = e.value("x").toDouble(), y = e.value("y").toDouble();
      w->MouseMove(x, y);
      w->MouseDown(1, x, y, shift);
      w->MouseUp(1, x, y, shift);
    } else if (kind == "box" || kind == "pan") {
      const int button = kind == "box" ? 1 : 4;
      const double x1 = e.value("x1").toDouble(), y1 = e.value("y1").toDouble();
      const double x2 = e.value("x2").toDouble(), y2 = e.value("y2").toDouble();
      w->MouseMove(x1, y1);
      w->MouseDown(button, x1, y1, shift);
      w->MouseMove(x2, y2);
      w->MouseUp(button, x2, y2, shift);
    } else if (kind == "wheel") {
      w->MouseMove(e.value("x").toDouble(), e.value("y").toDouble());
      w->Wheel(e.value("delta").toInt());
    } else if (kind == "key") {
      w->KeyPressed(e.value("key").toString() == "Escape" ? Key::Escape : Key::Enter);
    } else if (kind == "close") {
      w->CloseByUser();
    } else if (kind == "busy") {
      busyNextMs_ = e.value("ms").toInt();
    }
  }
}

QJsonValue DrawApp::TestState() {
  QJsonObject state{{"windows", static_cast<int>(windows_.size())}};
  if (windows_.empty()) return state;
  DrawWindow& w = Selecting() ? *Selecting() : Active();
  QJsonArray selected;
  for (const int i : w.Selected()) selected.append(i);
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  w.ViewWindow(xmin, ymin, xmax, ymax);
  state["status"] = QString::fromStdString(w.StatusText());
  state["selected"] = selected;
  state["maximized"] = w.Maximized();
  state["fullName"] = QString::fromStdString(w.FullName());
  state["view"] = QJsonArray{xmin, ymin, xmax, ymax};
  state["caption"] = QString::fromStdString(w.GetForm().Caption());
  return state;
}

bool DrawApp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Escape) return false;
  for (auto& w : windows_) {
    if (w->GetForm().Window() == widget->window()) {
      return w->KeyPressed(key == Qt::Key_Escape ? Key::Escape : Key::Enter);
    }
  }
  return false;
}

}  // namespace korvalo::draw
