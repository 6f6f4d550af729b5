#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "storage/windows/center_form.h"
#include "storage/windows/project_windows.h"

// The folder picker of the new-project dialog.
namespace korvalo::windows {

using namespace forms;

namespace {

constexpr const char* kParentItem = "..";

std::string ParentOf(const std::string& folder) {
  const std::filesystem::path parent = std::filesystem::path(folder).parent_path();
  return parent.empty() ? std::string("/") : parent.string();
}

}  // namespace

std::vector<std::string> DriveList() {
  std::vector<std::string> drives{"/"};
  const char* home = std::getenv("HOME");
  if (home && *home && std::string(home) != "/") drives.emplace_back(home);
  return drives;
}

FrmDirLocate::FrmDirLocate()
    : Form("frmDirLocate"),
      lblDrive(*this, "lblDrive", "Drive:"),
      Drive1(*this, "Drive1", vbComboDropdownList),
      lblDir(*this, "lblDir", ""),
      Dir1(*this, "Dir1", vbComboDropdownList),
      cmdOK(*this, "cmdOK", "&OK"),
      cmdCancel(*this, "cmdCancel", "&Cancel") {
  SetCaption("Locate the project path");
  SetBorderStyle(vbFixedDialog);
  Move(0, 0, 4800, 2460);
  lblDrive.Move(120, 150, 600, 255);
  Drive1.Move(720, 120, 3840, 315);
  lblDir.Move(120, 570, 4440, 255);
  Dir1.Move(120, 900, 4440, 315);
  cmdOK.Move(2040, 1440, 1215, 375);
  cmdOK.SetDefault(true);
  cmdCancel.Move(3360, 1440, 1215, 375);
  cmdCancel.SetCancel(true);

  OnLoad = [this] { Form_Load(); };
  OnActivate = [this] { SetTopMost(true); };
  Drive1.OnClick = [this](int) { Drive1_Change(); };
  Dir1.OnClick = [this](int) { Dir1_Click(); };
  cmdOK.OnClick = [this](int) { cmdOK_Click(); };
  cmdCancel.OnClick = [this](int) { Hide(); };
}

void FrmDirLocate::Form_Load() {
  CenterForm(*this);
  std::error_code ec;
  const std::filesystem::path working = std::filesystem::current_path(ec);
  std::string current = ec ? std::string() : working.string();
  if (current.empty()) current.push_back('/');
  filling_ = true;
  Drive1.Clear();
  int driveIndex = 0;
  const std::vector<std::string> drives = DriveList();
  for (std::size_t i = 0; i < drives.size(); ++i) {
    Drive1.AddItem(drives[i]);
    if (i > 0 && (current == drives[i] || current.rfind(drives[i] + "/", 0) == 0)) {
      driveIndex = static_cast<int>(i);
    }
  }
  Drive1.SetListIndex(driveIndex);
  filling_ = false;
  if (!OpenFolder(current)) OpenFolder("/");
}

bool FrmDirLocate::OpenFolder(const std::string& folder) {
  std::error_code ec;
  std::vector<std::string> children;
  std::filesystem::directory_iterator it(folder, std::filesystem::directory_options::skip_permission_denied, ec);
  if (ec) return false;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (name.empty() || name[0] == '.') continue;
    children.push_back(std::move(name));
  }
  std::sort(children.begin(), children.end());

  dirPath_ = folder.size() > 1 && folder.back() == '/' ? folder.substr(0, folder.size() - 1) : folder;
  filling_ = true;
  Dir1.Clear();
  if (dirPath_ != "/") Dir1.AddItem(kParentItem);
  for (const std::string& child : children) Dir1.AddItem(child);
  filling_ = false;
  lblDir.SetCaption(dirPath_);
  return true;
}

void FrmDirLocate::Drive1_Change() {
  if (filling_ || Drive1.ListIndex() < 0) return;
  if (OpenFolder(Drive1.List(Drive1.ListIndex()))) return;
  MsgBox("Device Not Ready.  Please Insert Disc/CD and try again.", vbOKOnly, "Device Not Ready");
  filling_ = true;
  Drive1.SetListIndex(0);
  filling_ = false;
  OpenFolder(Drive1.List(0));
}

void FrmDirLocate::Dir1_Click() {
  if (filling_ || Dir1.ListIndex() < 0) return;
  const std::string item = Dir1.List(Dir1.ListIndex());
  std::string target;
  if (item == kParentItem) {
    target = ParentOf(dirPath_);
  } else {
    target = dirPath_;
    if (target.empty() || target.back() != '/') target += '/';
    target += item;
  }
  // A folder that cannot be read leaves the list where it was.
  OpenFolder(target);
}

void FrmDirLocate::cmdOK_Click() {
  std::string chosen = dirPath_;
  if (chosen.empty() || chosen.back() != '/') chosen += '/';
  PickedFolder().ChosenFolder = chosen;
  Hide();
}

}  // namespace korvalo::windows
