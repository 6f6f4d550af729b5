#include "platform/forms/errors.h"

#include <new>

#include "platform/forms/prompts.h"

namespace korvalo::forms {

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description.empty() ? "Error " + std::to_string(number) : description),
      number_(number) {}

int ErrorNumberOf(const std::exception& e) {
  if (const auto* r = dynamic_cast<const RuntimeError*>(&e)) return r->Number();
  if (dynamic_cast<const std::out_of_range*>(&e)) return kErrSubscriptOutOfRange;
  if (dynamic_cast<const std::overflow_error*>(&e)) return kErrOverflow;
  if (dynamic_cast<const std::bad_alloc*>(&e)) return kErrOutOfMemory;
  return kErrInvalidProcedureCall;
}

std::string UnknownErrorText(int number) {
  return "Unknown Error Number " + std::to_string(number) + " has occured.\n" +
         "If the problem persists, please contact Korvalo support at " + kSupportPhone + " or " +
         kSupportMail + ".";
}

void ShowUnknownError(int number) { MsgBox(UnknownErrorText(number), vbOKOnly); }

}  // namespace korvalo::forms
