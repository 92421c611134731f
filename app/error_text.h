#pragma once

#include <string>

namespace tamsolo {

// The text of an error box: the message with "." appended unless its last character sorts at
// or below "." (a closing bracket or a full stop already ends it).
std::string ErrorBoxText(const std::string& message);

// The error box text for a work folder that could not be created or removed, chosen by the
// system error code, in the program's code page.
std::string FolderErrorText(int code);

}  // namespace tamsolo
