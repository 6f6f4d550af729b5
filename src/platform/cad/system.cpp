#include "platform/cad/system.h"

namespace korvalo::cad {
namespace {

class NoCadProgram : public Automation {
 public:
  std::shared_ptr<Application> GetObject(const std::string&) override { Fail(); }
  std::shared_ptr<Application> CreateObject(const std::string&) override { Fail(); }
  void SetFocus(WindowHandle) override {}

 private:
  [[noreturn]] static void Fail() {
    throw CadError(kCannotCreateObject, "ActiveX component can't create object");
  }
};

}  // namespace

Automation& SystemAutomation() {
  static NoCadProgram automation;
  return automation;
}

}  // namespace korvalo::cad
