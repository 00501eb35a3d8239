#include "app/web_page_win.h"

#include <windows.h>

#include <shellapi.h>

namespace portlight {

void OpenWebPage(const std::string& address) {
    ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace portlight
