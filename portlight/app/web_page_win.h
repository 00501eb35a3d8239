// Opens web pages in the user's default browser.
#pragma once

#include <string>

namespace portlight {

constexpr char kHomePageAddress[] = "http://www.kestro.com/";
constexpr char kHelpPageAddress[] = "http://www.kestro.com/portlight/help.html";

// Asks the shell to open `address` ("open" verb); failures are not reported.
void OpenWebPage(const std::string& address);

}  // namespace portlight
