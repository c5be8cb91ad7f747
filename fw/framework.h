// The application framework: application object, windows, dialogs, controls, data exchange.
#pragma once

#include "fw/controls.h"
#include "fw/data_exchange.h"
#include "fw/dialog.h"
#include "fw/framework_error.h"
#include "fw/gdi_objects.h"
#include "fw/message_map.h"
#include "fw/win_app.h"
#include "fw/wnd.h"
