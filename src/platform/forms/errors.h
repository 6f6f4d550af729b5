#pragma once

// Errors raised by the forms layer and by window code, and the unknown-error
// box.
//
// Every event handler runs under the layer's guard: an exception that
// escapes the outermost handler (the one started by the user, a timer or a
// program change made outside any handler) is caught and reported with the
// unknown-error box, and the program goes on. Inside a handler, an exception
// of a nested event (one raised by a property change the handler made: Text,
// Value, ListIndex, SetFocus, PerformClick...) travels back to the statement
// that caused it, so a handler may catch the errors of what it calls. Events
// the window system raises on its own account inside a handler (the focus
// moving on because the focused control was hidden or disabled) report their
// errors at once instead.

#include <exception>
#include <stdexcept>
#include <string>

namespace korvalo::forms {

// An error with a number, as the program reports it ("Unknown Error Number
// 380 has occured.").
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(int number, const std::string& description = {});
  int Number() const { return number_; }

 private:
  int number_;
};

// Numbers the layer raises.
inline constexpr int kErrInvalidProcedureCall = 5;  // e.g. SetFocus on a hidden control
inline constexpr int kErrOverflow = 6;
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrSubscriptOutOfRange = 9;
inline constexpr int kErrDivisionByZero = 11;
inline constexpr int kErrElementMissing = 340;   // control array element does not exist
inline constexpr int kErrAlreadyLoaded = 360;    // control array element already loaded
inline constexpr int kErrCannotUnload = 362;     // element 0 of an array cannot be unloaded
inline constexpr int kErrInvalidProperty = 380;  // e.g. a negative size, ListIndex out of range
inline constexpr int kErrMinimised = 384;        // a minimised or maximised form cannot be moved or sized

// The number reported for an exception: its own for a RuntimeError, a fitting
// one for the standard exceptions (out of range 9, overflow 6, bad_alloc 7),
// 5 for any other.
int ErrorNumberOf(const std::exception& e);

// The text of the unknown-error box: "Unknown Error Number ", the number,
// " has occured.", a line break and the support-contact line.
std::string UnknownErrorText(int number);

// Shows the unknown-error box: OK button, the program's title.
void ShowUnknownError(int number);

// Support contacts named in the unknown-error box.
inline constexpr const char* kSupportPhone = "+1 (555) 014-2267";
inline constexpr const char* kSupportMail = "support@korvalo.example";

}  // namespace korvalo::forms
