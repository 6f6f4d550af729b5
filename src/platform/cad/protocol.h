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

#include <optional>
#include <string>

#include <QByteArray>
#include <QJsonObject>

namespace korvalo::cad::wire {

// Failure numbers of the link itself (the members' own failures carry the
// numbers KorvaloDraw gives, such as 53 for a drawing file not found).
inline constexpr long kAutomationError = 440;    // a reply that does not parse, a refused call
inline constexpr long kServerUnavailable = 462;  // KorvaloDraw ended, or did not answer in time
inline constexpr long kUnknownObject = 424;      // a number that names no live object

inline constexpr int kApplicationObject = 1;

// What KorvaloDraw takes from its clients. A call is at most kLongestCall
// bytes with its "\n" (the longest real call, a played test input, is a few
// kilobytes): a client that sends more without a line end, or a longer
// line, is dropped. Past kMostConnections open connections a new client is
// refused (its connection ends at once) while the socket keeps listening.
inline constexpr long long kLongestCall = 1LL << 20;
inline constexpr int kMostConnections = 256;

// The runtime folder, made when missing. Nothing when it cannot be made or
// is not the user's own folder with mode 0700 (error says why).
std::optional<std::string> RuntimeFolder(std::string& error);

// Where the socket of the program identifier lives; nothing as above.
std::optional<std::string> SocketPath(const std::string& programId, std::string& error);

// Whether the process runs (a process that ended but was not yet reaped by
// its parent does not).
bool ProcessRunning(long long pid);

// One message as a line, "\n" included.
QByteArray Line(const QJsonObject& message);

// Parses one line (without "\n"); nothing when it is not a JSON object.
std::optional<QJsonObject> Parse(const QByteArray& line);

}  // namespace korvalo::cad::wire
