// Plain text on the clipboard (CF_TEXT, the system code page).
#pragma once

#include <windows.h>

#include <string>

namespace portlight {

// Empties the clipboard and puts `text` on it; false when the clipboard cannot be opened or
// the text cannot be placed.
bool PutClipboardText(HWND owner, const std::string& text);
// The clipboard's text, empty when it holds none.
std::string ClipboardText(HWND owner);

}  // namespace portlight
