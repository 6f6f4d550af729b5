#include "platform/viewer/viewer_fixture.h"
