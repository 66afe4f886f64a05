// Finding a window that xdotool cannot: kept apart from the tests, because
// Xlib's macros clash with GoogleTest's names.
#pragma once

#include <string>

#include "test_support/x_session.h"

// A top-level window by its UTF-8 title (_NET_WM_NAME), which is all SDL's
// message box sets, so xdotool's search by name does not find it. 0 when
// none shows up within timeoutSeconds.
unsigned long findDialog(const XSession& x, const std::string& title, double timeoutSeconds);
