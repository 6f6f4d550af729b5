#pragma once

// The forms layer: everything a window needs.

#include "platform/forms/app_properties.h"
#include "platform/forms/application.h"
#include "platform/forms/canvas.h"
#include "platform/forms/controls.h"
#include "platform/forms/desktop.h"
#include "platform/forms/end_of_turn.h"
#include "platform/forms/errors.h"
#include "platform/forms/form.h"
#include "platform/forms/form_pointer.h"
#include "platform/forms/mdi.h"
#include "platform/forms/menu_icons.h"
#include "platform/forms/playback.h"
#include "platform/forms/print_dialog.h"
#include "platform/forms/prompts.h"
#include "platform/forms/rich_text_box.h"
#include "platform/forms/tab_control.h"
#include "platform/forms/units.h"
#include "platform/forms/window_lock.h"
