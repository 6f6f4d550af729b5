#pragma once

#include <deque>
#include <string>

#include "platform/forms/forms.h"

// The program-wide values of the standalone edition's windows: the frame,
// the floating editor and the drawing window share them.
namespace korvalo::standalone {

// The colour codes of the drawings' fore colour: 256 keeps each entity's own.
inline constexpr int kForeColourOriginal = 256;

struct StandaloneState {
  // Screen pixels per twip, vertical: every conversion between the editor's
  // twips and the overview windows' pixel rectangles uses it. Set when the
  // frame loads.
  double PixelsPerTwip = 1.0 / 15.0;
  // The exit question has been answered Yes (in the frame or the editor);
  // later close requests do not ask again.
  bool ExitConfirmed = false;
  // The frame's activation handler is installed (HookMainWindow).
  bool MainHooked = false;
  // The editor's least height in twips: 4550 on a screen at most 640 pixels
  // high, else 5750.
  int EditorMinHeight = 5750;
  // The drawing texts collected while a grab runs.
  std::deque<std::string> GrabbedTokens;
  // The drawings' colours until a project's settings are loaded.
  int ViewerForeColor = kForeColourOriginal;
  forms::Colour ViewerBackColor = 0x00FFFFFF;
};

StandaloneState& Standalone();
// Back to the values of a program that has just started (tests).
void ResetStandaloneState();

// The editor's least height for a screen this many pixels high.
int EditorMinHeightFor(int screenHeightPixels);

}  // namespace korvalo::standalone
