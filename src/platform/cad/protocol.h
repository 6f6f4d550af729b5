#pragma once

// The wire between Korvalo and KorvaloDraw.
//
// KorvaloDraw listens on a local socket named for the program identifier
// ("AutoCAD.Application") in the user's runtime folder: $XDG_RUNTIME_DIR,
// else /tmp/korvalo-<uid>, a folder of the user's own with mode 0700. The
// socket itself is the user's only.
//
// Each call is one line of compact JSON (UTF-8, ended by "\n"), answered by
// one line:
//
//   call   {"seq":7,"obj":12,"call":"Open","args":["/surveys/Lots.dwg"]}
//   reply  {"seq":7,"ok":true,"value":...}
//          {"seq":7,"ok":false,"number":53,"description":"File not found"}
//
// Objects live in KorvaloDraw and are named by number: the application is
// object 1; members that give an object reply {"obj":N}; RemoveItems takes
// an array of such numbers. Object 0 answers "Hello" with {"app":1,"pid":P},
// which a client sends first to know it reached a live KorvaloDraw. A
// number that names no live object (a closed drawing, an entity of a
// drawing that was replaced) fails with kUnknownObject.
//
// KorvaloDraw answers the calls of one connection in order; a
// "SelectOnScreen" is answered when the user ends the selection, while
// other connections are served meanwhile.
//
// A connection KorvaloDraw will not serve because it is at its limit of
// connections gets one line before its end, which is no reply to any call:
//
//   refusal {"refused":true,"number":N,"description":"KorvaloDraw is running ..."}
//
// One KorvaloDraw runs per runtime folder: it holds a lock on the file
// beside its socket ("AutoCAD.Application.lock") for as long as it runs.

#include <optional>
#include <string>

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>

namespace korvalo::cad::wire {

// Failure numbers of the link itself (the members' own failures carry the
// numbers KorvaloDraw gives, such as 53 for a drawing file not found).
inline constexpr long kAutomationError = 440;    // a reply that does not parse, a refused call
inline constexpr long kServerUnavailable = 462;  // KorvaloDraw ended, or did not answer in time
inline constexpr long kUnknownObject = 424;      // a number that names no live object

inline constexpr int kApplicationObject = 1;
// Window handles travel as JSON numbers: whole numbers up to 2^53.
inline constexpr long long kMostWindowHandle = 1LL << 53;

// What KorvaloDraw takes from its clients. A call is at most kLongestCall
// bytes with its "\n" (the longest real call, a played test input, is a few
// kilobytes): a client that sends more without a line end, or a longer
// line, is dropped. Past kMostConnections open connections a new client is
// refused (its connection ends at once) while the socket keeps listening.
inline constexpr long long kLongestCall = 1LL << 20;
inline constexpr int kMostConnections = 256;
// Replies a client leaves unread are kept up to kMostUnread bytes (a real
// client reads each reply before its next call); past that the client is
// dropped, so that one client that does not read costs KorvaloDraw no more
// memory and no other client's time.
inline constexpr long long kMostUnread = 4LL << 20;

// The runtime folder, made when missing. Nothing when it cannot be made or
// is not the user's own folder with mode 0700 (error says why).
std::optional<std::string> RuntimeFolder(std::string& error);

// Where the socket of the program identifier lives; nothing as above.
std::optional<std::string> SocketPath(const std::string& programId, std::string& error);

// Where the lock of the program identifier's KorvaloDraw lives; nothing as
// above.
std::optional<std::string> LockPath(const std::string& programId, std::string& error);

// Takes the instance lock of the program identifier for as long as the
// process runs. Nothing when another process holds it (running is then
// true) or the lock cannot be made (error says why).
std::optional<int> TakeInstanceLock(const std::string& programId, bool& running, std::string& error);

// Whether a process holds the instance lock of the program identifier: a
// KorvaloDraw runs for this runtime folder, answering or not.
bool InstanceRunning(const std::string& programId);

// Whether the process runs (a process that ended but was not yet reaped by
// its parent does not).
bool ProcessRunning(long long pid);

// A whole number sent on the wire, within [least, most]; nothing for any
// other value (a fraction, out of range, not finite, not a number). Both
// ends take numbers through it, never by a bare conversion.
std::optional<long long> WholeNumber(const QJsonValue& value, long long least, long long most);

// The value as it stands on the wire ("1e+308", "null"), for messages.
std::string WireText(const QJsonValue& value);

// The refusal line for a connection KorvaloDraw will not serve.
QByteArray Refusal(long number, const std::string& description);

// One message as a line, "\n" included.
QByteArray Line(const QJsonObject& message);

// Parses one line (without "\n"); nothing when it is not a JSON object.
std::optional<QJsonObject> Parse(const QByteArray& line);

}  // namespace korvalo::cad::wire
