#include "tool_window/save_failure.h"

#include <FL/fl_ask.H>

void showSaveFailure(const char* what, const std::string& reason) {
    fl_message_title(kSaveFailureTitle);
    // "%s" keeps a reason with a percent sign from being read as a format.
    fl_alert("%s\n\n%s", what, reason.c_str());
}
