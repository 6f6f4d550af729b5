#pragma once

// The deliverable this process is. Each program's main sets it once at start;
// tests switch it. Core routines take it as an argument where it matters
// rather than reading this value.
namespace korvalo {

enum class Edition { A2004, A2000, R14, Standalone };

Edition CurrentEdition();
void SetEdition(Edition edition);

// Number of course rows of the editor: 80 in the linked edition, 50 in the
// standalone edition. The traverse holds one point more.
int CourseLimitFor(Edition edition);

bool IsLinkedEdition(Edition edition);

// "KorvaloA2004", "KorvaloA2000", "KorvaloR14", "KorvaloSA".
const char* EditionProgramName(Edition edition);

}  // namespace korvalo
