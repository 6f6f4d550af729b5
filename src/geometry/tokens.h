#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "geometry/direction.h"

// Picked drawing text turned into tokens: the values a surveyor picks off a
// drawing (directions, distances, arc lengths, chords, radii, parcel names)
// before the grab steps place them in the course fields.
//
// A picked text is first cleaned (CleanPickedText): the codes a drawing
// program writes into its texts are read, so that a font code's digits never
// become a value. It is then split at blanks,
// except that a quadrant bearing written with blanks inside
// ("N 45 %%D 30 ' 15 \" E") is kept as one token with its blanks removed.
// A text of several lines (a paragraph break "\P" of a multi-line text, or a
// line break) is read line by line: a line break separates tokens as a blank
// does, and each line may hold a direction of its own.
// Tokens keep their letter case; the drawing code of the degree sign is left
// as written (the grab steps map it later).
//
// Positions are 1-based and count code points of the text passed in, so a
// multi-byte character or a three-character degree code before a bearing
// does not shift it. A blank is the character 32 only; other white space is
// part of a word.
//
// Nothing here throws or shows a message.
namespace korvalo::geometry {

// Where a recogniser found a direction: the positions of its first and last
// symbols. For a bearing, first is its N or S and last the E or W that ended
// the match; a degree code holding an "e" or "w" does not end it.
struct PatternSpan {
  long start = 0;
  long end = 0;
};

// Finds a quadrant bearing anywhere in the text: N or S, degrees, a degree
// sign, minutes, "'", seconds, the second mark '"', then E or W, with blanks
// allowed between the parts. The letters are read in either case; the degree
// sign is U+00B0, U+00F8 or an occurrence of degreeSymbol (the drawing code,
// compared without regard to case; ignored when empty).
//
// span.start is only changed once an N or S has been met; an N or S that
// interrupts a partial bearing restarts the match but keeps the earlier
// start ("N45 S45%%D30'15\"E" is one bearing from the first N). span.end is
// set only when a bearing is found. Azimuths and bearings without minutes or
// seconds are not recognised.
bool FindBearingPattern(PatternSpan& span, std::string_view text, std::string_view degreeSymbol);

// Splits the text at blanks and appends the words, in order, to tokens; runs
// of blanks give no empty words. The text is consumed: empty afterwards.
void SplitWords(std::string& text, std::vector<std::string>& tokens);

// A picked text made ready for splitting: its codes read as those of a
// multi-line text (drawing_text::Resolve: every formatting code such as
// "\A1;" or "\fArial|b0|i0|c0|p34;" and the braces grouping them dropped,
// "\U+XXXX" decoded, "\\" "\{" "\}" the characters; the degree code "%%d"
// stays), parted at its line breaks, and each line trimmed of blanks at both
// ends with every "=" turned into a blank; the lines that are left empty are
// dropped and the others joined with a blank.
std::string CleanPickedText(std::string_view text);

// Finds an azimuth written in full anywhere in the text: degrees, a degree
// sign, minutes, "'", seconds and the second mark '"'. Blanks may stand after
// the degree sign and before, between and after the minute and second digits,
// not among the degree digits. The degree sign is read as by
// FindBearingPattern.
//
// span.start is the position of the first degree digit of the last attempt
// begun; span.end, set only on a find, the position of the second mark.
bool FindAzimuthPattern(PatternSpan& span, std::string_view text, std::string_view degreeSymbol);

// What the recogniser looks for inside a text holding blanks.
enum class DirectionPattern {
  Bearing,  // quadrant bearings (FindBearingPattern)
  Azimuth,  // azimuths (FindAzimuthPattern)
};

// How picked text is read.
struct TokenSettings {
  // The drawing code of the degree sign (the project's DegreeSymbol).
  std::string degreeSymbol = "%%D";
  // The viewer reads azimuths in a project kept in azimuths; a pick in the
  // CAD program always looks for bearings.
  DirectionPattern pattern = DirectionPattern::Bearing;
  // A pick with the right mouse button in the viewer: the recognised
  // direction and every word that is a valid direction of the mode `bearing`
  // are turned to the opposite direction.
  bool reverseDirections = false;
  // The direction mode the reversal tests and turns directions in.
  bool bearing = true;
};

// The settings of a pick in the viewer: button 1 (left) or 2 (right, which
// reverses directions); the recogniser follows the project's mode.
TokenSettings ViewerTokenSettings(int button, const DirectionSettings& directions);

// Appends the tokens of one picked text, line by line: the cleaned line as
// one token when it holds no blank (an empty text gives one empty token);
// otherwise the words before a recognised direction, the direction without
// its blanks, and the words after it; the words alone when none is found.
//
// Without reversal the tokens joined equal the cleaned text without its
// blanks.
void AppendTextTokens(std::string_view pickedText, const TokenSettings& settings,
                      std::vector<std::string>& tokens);

// The tokens of a text picked in the viewer with the given mouse button.
std::vector<std::string> ViewerTextToTokens(std::string_view text, int button,
                                            const DirectionSettings& directions);

// The tokens of several picked texts, in text order.
std::vector<std::string> TextsToTokens(const std::vector<std::string>& pickedTexts,
                                       const TokenSettings& settings);

}  // namespace korvalo::geometry
