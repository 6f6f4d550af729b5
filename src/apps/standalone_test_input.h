#pragma once

#include <string>

// KorvaloSA's test hook. With KORVALO_SA_TEST_INPUT naming a script file
// at start, the started program plays the script through its own windows
// (menus chosen, buttons clicked, texts picked off the drawing) instead of
// waiting for a user, answers its prompts as the script says, and writes
// what happened to the script's name followed by ".log".
//
// One step a line; blank lines and lines starting with "#" are skipped:
//   answer Yes|No|OK|Cancel     the next message box is answered so
//   print FILE                  the next print dialog prints to the PDF file
//   menu NAME...                chooses a menu item: the names of the menus
//                               from the menu bar down to the item
//   click FORM CONTROL[(I)]     a click in the middle of a control of a
//                               loaded form (element I of an array)
//   select FORM CONTROL I       picks entry I (from 0) of a combo box's list
//   type TEXT                   types TEXT (blanks inside kept) where the
//                               keyboard focus is
//   press VIEWER BUTTON X Y     a press with the left or right button on the
//                               drawing point X, Y of viewer 1 or 2
//   wait MS                     lets the windows work for MS milliseconds
// Each step waits for the one before to settle. A step that cannot be done
// as a user would (a hidden or disabled menu, an unknown control) ends the
// script; so does a prompt the script did not answer beforehand (it gets
// the most cautious answer).
namespace korvalo::apps {

class StandaloneProgram;

// Plays the script into the started program. The exit status: 0 when every
// step ran, every prompt had its answer and the program's windows were
// closed by the script; 3 otherwise, after the remaining windows were
// closed without questions.
int PlayTestInput(StandaloneProgram& program, const std::string& scriptPath);

}  // namespace korvalo::apps
