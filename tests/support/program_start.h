#pragma once

#include <string>

#include "platform/dao/dao.h"
#include "platform/forms/forms.h"
#include "platform/forms/testing.h"
#include "storage/system_db.h"
#include "storage/windows/start_windows.h"

// What the end-to-end tests of both editions do around a start of the
// program: the first start's training-video offer, a program folder that
// has been started before, and the windows the program keeps to itself.
namespace korvalo::program_start {

// The first start's training-video offer, declined with "do not ask
// again", and its notice.
inline void ExpectVideoOfferDeclinedForGood(forms::testing::PromptScript& prompts) {
  prompts.ExpectModal("frmVideoOptions", [](forms::Form& form) {
    auto& offer = static_cast<windows::FrmVideoOptions&>(form);
    offer.optNotAgain.SetValue(true);
    offer.cmdOK.PerformClick();
  });
  prompts.ExpectMsgBox(windows::kVideoNotAgainText, forms::vbInformation);
}

// The current edition's system database as a program folder has it after
// its first start: no first-run questions, no training-video offer.
inline void MarkStartedBefore() {
  dao::Database db =
      dao::Database::Open(SystemDatabasePath(), {true, false, std::string(";Pwd=") + kSystemDatabasePassword});
  db.Execute("UPDATE tblSetting SET Demo = False, DemoMenu = False");
}

// The loaded form of that name, or null.
inline forms::Form* LoadedForm(const std::string& name) {
  for (forms::Form* form : forms::LoadedForms()) {
    if (form->Name() == name) return form;
  }
  return nullptr;
}

}  // namespace korvalo::program_start
