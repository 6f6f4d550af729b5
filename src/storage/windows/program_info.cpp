#include "storage/windows/program_info.h"

#include "platform/forms/forms.h"

namespace korvalo::windows {

std::string ProgramVersion(Edition edition) {
  switch (edition) {
    case Edition::A2004:
    case Edition::R14:
      return "1.8.6";
    case Edition::A2000:
    case Edition::Standalone:
      return "1.8.5";
  }
  return "1.8.6";
}

std::string CadReleaseLabel(Edition edition) {
  switch (edition) {
    case Edition::A2004:
      return "For AutoCAD 2004";
    case Edition::A2000:
      return "For AutoCAD 2000";
    case Edition::R14:
      return "For AutoCAD R14";
    case Edition::Standalone:
      return "";
  }
  return "";
}

std::string SplashErrorText(int number) {
  return "Unkown Error Number " + std::to_string(number) + " has occured.\n" +
         "Please contact support by telephone at " + forms::kSupportPhone + " or by e-mail at " +
         forms::kSupportMail + ".";
}

std::string AboutErrorText(int number) {
  return "Unkown Error Number " + std::to_string(number) + " has occured.  If the error persists\n" +
         "please call support at " + forms::kSupportPhone + " or write to " + forms::kSupportMail + ".";
}

void ShowSplashError(int number) {
  forms::MsgBox(SplashErrorText(number), forms::vbInformation, "Unkown Error");
}

void ShowAboutError(int number) {
  forms::MsgBox(AboutErrorText(number), forms::vbInformation, "Unkown Error");
}

}  // namespace korvalo::windows
