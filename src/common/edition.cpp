#include "common/edition.h"

namespace korvalo {
namespace {
Edition g_edition = Edition::A2004;
}

Edition CurrentEdition() { return g_edition; }
void SetEdition(Edition edition) { g_edition = edition; }

int CourseLimitFor(Edition edition) { return edition == Edition::Standalone ? 50 : 80; }

bool IsLinkedEdition(Edition edition) { return edition != Edition::Standalone; }

const char* EditionProgramName(Edition edition) {
  switch (edition) {
    case Edition::A2004: return "KorvaloA2004";
    case Edition::A2000: return "KorvaloA2000";
    case Edition::R14: return "KorvaloR14";
    case Edition::Standalone: return "KorvaloSA";
  }
  return "Korvalo";
}

}  // namespace korvalo
