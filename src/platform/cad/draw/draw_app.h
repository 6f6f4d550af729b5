#pragma once

// KorvaloDraw as the link reaches it: the open drawings, the objects the
// link holds by number, and the local socket that answers the calls
// (platform/cad/protocol.h).

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QObject>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/cad/draw/draw_window.h"

class QLocalServer;
class QLocalSocket;

namespace korvalo::draw {

// A named selection set of a drawing.
struct SelectionSetData {
  int id = 0;
  std::string name;
  std::vector<int> entities;
  bool deleted = false;
};

class DrawApp : public QObject {
 public:
  // testInput: the test hook's members are answered (TestInput, TestState,
  // TestBusy: the next call read is taken only after that many ms).
  explicit DrawApp(bool testInput);
  ~DrawApp() override;

  // Opens a window on the file ("" an untitled drawing); it becomes the
  // active one. Throws Failure when the file cannot be read.
  DrawWindow& OpenWindow(const std::string& path);
  // Starts answering on the socket of the program identifier; the caller
  // holds its instance lock (wire::TakeInstanceLock). False (with the
  // reason) when the socket cannot be made.
  bool Listen(const std::string& programId, std::string& error);
  int WindowCount() const { return static_cast<int>(windows_.size()); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Connection;
  struct Documents {};
  struct DocumentRef { int window; };
  struct SetsRef { int window; };
  struct SetRef { int window; std::shared_ptr<SelectionSetData> set; };
  struct EntityRef { int window; int generation; int index; };
  using Object = std::variant<Documents, DocumentRef, SetsRef, SetRef, EntityRef>;

  void Accept();
  void ReadCalls(Connection& connection);
  // Answers one call line (its "\n" taken off).
  void TakeCall(Connection& connection, const QByteArray& line);
  // Sets the connection's pause flag and takes its calls again after ms.
  void ReadLater(Connection& connection, int ms, bool Connection::*pause);
  void Reply(Connection& connection, long long seq, const QJsonValue& value);
  void ReplyFailure(Connection& connection, long long seq, const Failure& failure);
  void Dropped(Connection* connection);
  // Ends a connection KorvaloDraw serves no further: its client sent more
  // than the longest call, or leaves its replies unread.
  void DropClient(Connection& connection);
  // Drops the client when more than the bound of its replies waits unread;
  // true when it was dropped.
  bool Unread(Connection& connection);
  std::weak_ptr<Connection> WeakOf(Connection& connection) const;
  // The value of a call, or nothing when its answer comes later.
  std::optional<QJsonValue> Dispatch(Connection& connection, long long seq, int object,
                                     const std::string& member, const QJsonArray& args);
  std::optional<QJsonValue> Application(Connection& connection, long long seq, const std::string& member,
                                        const QJsonArray& args);
  QJsonValue DocumentCall(DrawWindow& window, const std::string& member, const QJsonArray& args);
  QJsonValue SetsCall(DrawWindow& window, const std::string& member, const QJsonArray& args);
  std::optional<QJsonValue> SetCall(Connection& connection, long long seq, DrawWindow& window,
                                    SelectionSetData& set, const std::string& member, const QJsonArray& args);
  QJsonValue EntityCall(DrawWindow& window, int index, const std::string& member);
  QJsonValue TestInput(const QJsonArray& events);
  QJsonValue TestState();
  void PlayTestInput();

  DrawWindow& Window(int id);
  DrawWindow& Active();
  int Register(Object object);
  QJsonValue Ref(int id) const { return QJsonObject{{"obj", id}}; }
  int EntityId(DrawWindow& window, int index);
  void WindowClosed(DrawWindow& window);
  void WindowActivated(DrawWindow& window);
  DrawWindow* Selecting();

  bool testInput_;
  QLocalServer* server_ = nullptr;
  std::vector<std::shared_ptr<Connection>> connections_;
  // Windows in the order they were opened; the active one last.
  std::vector<std::unique_ptr<DrawWindow>> windows_;
  std::vector<int> activation_;
  int untitled_ = 0;
  int nextWindow_ = 1;
  int nextObject_ = 10;
  std::map<int, Object> objects_;
  std::map<int, int> documentIds_, setsIds_;
  std::map<std::tuple<int, int, int>, int> entityIds_;
  std::map<int, std::map<std::string, std::shared_ptr<SelectionSetData>>> sets_;
  std::vector<QJsonObject> testEvents_;
  int busyNextMs_ = 0;
};

}  // namespace korvalo::draw
