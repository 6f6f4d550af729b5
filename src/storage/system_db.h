#pragma once

#include <string>

#include "common/edition.h"
#include "platform/dao/dao.h"

// The system database beside the program: program defaults, first-run flags,
// recent projects and credits. It ships with the program; the program never
// creates it. At start-up it is opened exclusively with its password and held
// for the run (Program().SystemDb), which keeps a second instance out; every
// other access opens it again by path, which works while that is held.
namespace korvalo {

inline constexpr const char* kSystemDatabasePassword = "5t2K8m4D9x3";

// "Korvalo.zrq", or "KorvaloPro.zrq" in the standalone edition.
const char* SystemDatabaseName(Edition edition);
// The system database of the current edition, beside the program.
std::string SystemDatabasePath();

// Opens the system database for the run and keeps it in Program().SystemDb.
// On failure shows the single-instance message (another instance holds it),
// the in-use message (another program is writing it: dao::err::kLocked),
// SystemDatabaseUnusableText (a program folder that cannot be written, so
// that the lock beside the file cannot be made, no right to read the file,
// a disk error) or the re-install message (missing, damaged, not ours, wrong
// password) and returns false: the program must then end before any window
// is shown.
bool OpenSystemDatabase();
// Why an intact system database cannot be used (dao::err::kDiskError or
// kCannotOpen): the folder that cannot be written, the file that may not be
// read, or the disk.
std::string SystemDatabaseUnusableText(int errorNumber);

// A further connection by path, shared (or exclusive) and without password.
// While a StartUpReads lives, a shared one is the connection the program
// holds (when it holds the file) rather than a new one.
dao::Database OpenSystemDatabaseByPath(bool exclusive);

// The program's start: the short reads and writes it makes of the system
// database just opened (the first-run flag, the video offer, the recent
// projects) go through the held connection instead of opening the file and
// reading its layout again for each.
class StartUpReads {
 public:
  StartUpReads();
  ~StartUpReads();
  StartUpReads(const StartUpReads&) = delete;
  StartUpReads& operator=(const StartUpReads&) = delete;
};

// The new-project dialog's "Auto name project file" check box.
void SaveAutoName(bool value);
bool LoadAutoName();

// True on the first start (and clears the flag), false afterwards.
bool TakeFirstRunFlag();
// Whether the training videos are offered at start-up; and stop offering.
bool VideoPromptWanted();
void StopVideoPrompt();

// Appends the credits to `text`: for each contribution a line break, the
// contribution and a line break, then a tab, the name and a line break for
// each of its names. Errors are ignored; what was appended stays.
void FillCredits(std::string& text);

// The first-run "Initial configuration" answers, stored as program defaults.
void SetDefaultBearingMode(bool bearing);
void SetDefaultMetric(bool metric);

// Builds a fresh system database with the shipped defaults and credits
// (used by the build tool that makes the shipped files, and by tests).
void BuildSystemDatabase(const std::string& path, Edition edition);

}  // namespace korvalo
