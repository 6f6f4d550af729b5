#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/edition.h"
#include "geometry/traverse.h"
#include "storage/parcel_store.h"

// Saving and loading parcels. Every save is one transaction on one
// connection: the parcel row, its courses and their non-tangent marks are
// stored whole or not at all. A save that fails shows why through the
// message sink (storage/messages.h), stores nothing and answers false.
// Names and every other value travel as bound parameters.
//
// The save checks (geometry/save_checks.h) run before these: a save here
// stores what it is given.
namespace korvalo {

// Where and how parcels are stored.
struct ParcelStoreContext {
  std::string projectPath;
  int errDecimal = 2;     // places of the stored area and closure
  int courseLimit = 80;   // rows of the grid; a parcel of more courses is not loaded
  Edition edition = Edition::A2004;  // the standalone edition stores no non-tangent marks
};

// From the program-wide state: ProjectPath, the project's ErrDecimal,
// CourseLimit and the edition.
ParcelStoreContext CurrentParcelContext();

// The figures of the parcel as the closure computation left them.
struct ParcelFigures {
  double Area = 0.0;
  double Closure = 0.0;
  std::string ClosureBearing;
  double PrecisionRatio = 0.0;
  double TotalDistance = 0.0;
};
ParcelFigures FiguresOf(const geometry::ClosureResult& result);

struct ParcelToSave {
  std::string name;                       // as typed
  std::vector<geometry::CourseRow> rows;  // the grid: element k is grid row k
  std::vector<bool> nonTangFlags;         // from the save checks, per row from 0
  ParcelFigures figures;
};

inline constexpr int kParcelNameLimit = 50;  // characters tblParcel holds

// The name as stored: a name shorter than 6 characters once its leading
// blanks are removed is stored right-aligned to 6 characters; a longer one
// exactly as typed. Trailing blanks stay.
std::string StoredParcelName(std::string_view typed);

// The courses stored for a grid: every row whose fields are all filled for
// its kind, RowNo its grid row (so an incomplete row in the middle leaves a
// gap). Arc rows carry their non-tangent flag when `withNonTang`; line rows
// never do. No value, and `problem` says why, when a length of a stored row
// does not read as a number.
std::optional<std::vector<StoredCourse>> CoursesToStore(const std::vector<geometry::CourseRow>& rows,
                                                        const std::vector<bool>& nonTangFlags, int courseLimit,
                                                        bool withNonTang, std::string* problem = nullptr);

// Writes the courses as tblMeasurements rows of `parcelId` on `db`, inside
// the caller's transaction. Engine errors are raised (dao::DaoError).
void WriteMeasurements(dao::Database& db, ParcelId parcelId, const std::vector<StoredCourse>& courses);

// Inserts a new parcel. Its courses are stored without non-tangent marks.
// A stored name that exists already, in any letter case: "The lot <name>
// already exists. Please rename the parcel before saving again." The new id,
// or no value when nothing was stored.
std::optional<ParcelId> SaveNewParcel(const ParcelStoreContext& context, const ParcelToSave& parcel);

// Updates the stored parcel `currentParcelId` (the parcel loaded last, not
// the typed name): its figures, and its courses replaced by the grid's with
// the non-tangent marks of the save checks. With `rename` the parcel also
// takes the typed name (stored by the name rule) and its precision ratio is
// stored rounded to 6 places; a name another parcel has: "The lot <name>
// already exists. Please rename the parcel then try to save again.".
bool SaveExistingParcel(const ParcelStoreContext& context, ParcelId currentParcelId, const ParcelToSave& parcel,
                        bool rename);

// The parcel list: the stored names in name order with their ids. A project
// that cannot be read gives an empty list, without a message (opening the
// project has already said what is wrong with it).
std::vector<ParcelListEntry> ParcelList(const std::string& projectPath);

enum class LoadStatus {
  Loaded,
  NoCourses,       // "There are no matching entries in the database." was shown
  TooManyCourses,  // more courses than the grid holds: not loaded, message shown
  Failed,          // the project could not be read: message shown
};

struct LoadedParcel {
  LoadStatus status = LoadStatus::Failed;
  // Grid rows 0, 1, 2, ... in RowNo order (only the stored courses).
  std::vector<geometry::CourseRow> rows;
  // The stored figures, shown until the parcel is computed afresh.
  std::string areaText;
  std::string closureText;
};

// Loads a stored parcel for the grid.
LoadedParcel LoadParcel(const ParcelStoreContext& context, ParcelId parcelId);

// While it lives, ParcelList and LoadParcel for this project read through one
// connection it holds instead of opening the file for each call (opening the
// file reads its whole layout). Each of their reads still sees the file as it
// is then; the connection holds no lock between them, so saves through other
// connections go on as before. A project that cannot be opened is not held:
// each call then opens it and reports as it would. Holds nest; the innermost
// one of a path is used.
class ProjectReads {
 public:
  explicit ProjectReads(const std::string& projectPath);
  ~ProjectReads();
  ProjectReads(const ProjectReads&) = delete;
  ProjectReads& operator=(const ProjectReads&) = delete;

  // The held connection for the path, or a new one (raises dao::DaoError).
  static dao::Database Open(const std::string& projectPath);

 private:
  ProjectReads* outer_;
  std::string path_;
  dao::Database db_;
};

}  // namespace korvalo
