// Telling the user that a save did not take. Shared by the options tool and
// the power-up editor.
#pragma once

#include <string>

// The title of the box, by which a user (or a test) finds it.
inline constexpr const char* kSaveFailureTitle = "Speichern fehlgeschlagen";

// A modal box with the tool's own words (UTF-8), then the system's reason,
// and one button to close it. The tool's window stays as it was, with
// everything the user entered.
void showSaveFailure(const char* what, const std::string& reason);
