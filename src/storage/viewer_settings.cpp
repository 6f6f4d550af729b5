#include "storage/viewer_settings.h"

#include <string>

#include "platform/dao/dao.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"

namespace korvalo {
namespace {

const Rgb kBackColors[kBackColorCodes] = {{255, 255, 255}, {0, 0, 0}, {255, 255, 0}, {0, 0, 255}};

ViewerSettings& Values() {
  static ViewerSettings values;
  return values;
}

// The field names of viewer 1 or 2's view, in the order they are read.
std::array<std::string, 5> ViewFields(int viewer) {
  const std::string n = std::to_string(viewer);
  return {"ZoomFactor" + n, "BLX" + n, "BLY" + n, "TRX" + n, "TRY" + n};
}

// A field's value, or none when the row has no such field or it is empty.
std::optional<dao::Value> Present(dao::Recordset& rs, const std::string& name) {
  if (!rs.HasField(name)) return std::nullopt;
  dao::Value v = rs.Get(name);
  if (dao::IsNull(v)) return std::nullopt;
  return v;
}

void ReadColours(dao::Recordset& rs, ViewerSettings& out) {
  try {
    if (auto v = Present(rs, "BackColor")) out.BackColor = BackColorFromCode(dao::AsLong(*v));
  } catch (const dao::DaoError&) {
  }
  try {
    if (auto v = Present(rs, "ForeColor")) out.ForeColor = static_cast<long>(dao::AsLong(*v));
  } catch (const dao::DaoError&) {
  }
}

// Both views, or none of them when any value cannot be read.
std::array<SavedView, 2> ReadViews(dao::Recordset& rs) {
  std::array<SavedView, 2> views{};
  try {
    for (int viewer = 1; viewer <= 2; ++viewer) {
      const auto names = ViewFields(viewer);
      double values[5];
      for (std::size_t i = 0; i < names.size(); ++i) {
        auto v = Present(rs, names[i]);
        if (!v) return {};
        values[i] = dao::AsDouble(*v);
      }
      views[static_cast<std::size_t>(viewer - 1)] = {values[0], values[1], values[2], values[3], values[4]};
    }
  } catch (const dao::DaoError&) {
    return {};
  }
  return views;
}

// Edits the first record of the settings row of the project file at `path`
// with `write`; true when stored.
template <typename Write>
bool EditSettingRowOf(const std::string& path, Write write) {
  try {
    dao::Database db = dao::Database::Open(path);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    rs.MoveFirst();
    rs.Edit();
    write(rs);
    rs.Update();
    return true;
  } catch (const dao::DaoError&) {
    return false;
  }
}

// The same in the open project.
template <typename Write>
bool EditSettingRow(Write write) {
  return EditSettingRowOf(Program().ProjectPath, write);
}

// A view as stored: without a drawing the corners are 0.
SavedView AsStored(SavedView view) {
  if (view.zoomFactor == kNoDrawingZoom) view.blx = view.bly = view.trx = view.try_ = 0.0;
  return view;
}

}  // namespace

Rgb BackColorFromCode(long code) {
  if (code < 0 || code >= kBackColorCodes) return kBackColors[0];
  return kBackColors[code];
}

std::optional<int> BackColorCode(const Rgb& colour) {
  for (int code = 0; code < kBackColorCodes; ++code) {
    if (kBackColors[code] == colour) return code;
  }
  return std::nullopt;
}

bool ViewIsSaved(const SavedView& v) {
  const bool zero = v.blx == 0.0 && v.bly == 0.0 && v.trx == 0.0 && v.try_ == 0.0;
  const bool fresh = v.blx == 0.0 && v.bly == 0.0 && v.trx == 1.0 && v.try_ == 1.0;
  return !zero && !fresh;
}

ViewerSettings& Viewer() { return Values(); }

void ResetViewerSettings() { Values() = ViewerSettings{}; }

bool LoadStandaloneProjectSettings() {
  if (!LoadProjectSettings()) return false;
  ViewerSettings loaded;
  try {
    dao::Database db = dao::Database::Open(Program().ProjectPath);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    rs.MoveFirst();
    ReadColours(rs, loaded);
    loaded.Views = ReadViews(rs);
  } catch (const dao::DaoError&) {
    // The shared settings were read a moment ago; should the row be gone now,
    // the drawing shows in the default colours and whole.
  }
  Values() = loaded;
  return true;
}

bool StoreViewerView(int index, SavedView view) {
  if (index < 0 || index > 1) return false;
  KeepViewerView(index, view);
  const bool stored = WriteViewerView(Program().ProjectPath, index, view);
  if (!stored) Values().Views = {};
  return stored;
}

void KeepViewerView(int index, SavedView view) {
  if (index < 0 || index > 1) return;
  Values().Views[static_cast<std::size_t>(index)] = AsStored(view);
}

bool WriteViewerView(const std::string& projectPath, int index, SavedView view) {
  if (index < 0 || index > 1) return false;
  view = AsStored(view);
  const auto names = ViewFields(index + 1);
  return EditSettingRowOf(projectPath, [&](dao::Recordset& rs) {
    rs.Set(names[0], view.zoomFactor);
    rs.Set(names[1], view.blx);
    rs.Set(names[2], view.bly);
    rs.Set(names[3], view.trx);
    rs.Set(names[4], view.try_);
  });
}

bool SaveBackColor(int code) {
  return EditSettingRow([&](dao::Recordset& rs) { rs.Set("BackColor", std::int64_t{code}); });
}

bool SaveForeColor(long code) {
  return EditSettingRow([&](dao::Recordset& rs) { rs.Set("ForeColor", std::int64_t{code}); });
}

void ForgetSavedViewCorners() {
  for (SavedView& v : Values().Views) v.blx = v.bly = v.trx = v.try_ = 0.0;
}

}  // namespace korvalo
