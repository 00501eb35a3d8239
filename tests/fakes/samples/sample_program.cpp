// A stand-in for a program that owns connections: it only waits until it is ended, so the
// process lookups and the bar can be tested against a real process with a known executable.
// With "--exit" it ends at once (a process id that is gone by the time it is looked up).
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (commandLine && std::strstr(commandLine, "--exit"))
        return 0;
    // Ends after ten minutes even when the test that started it crashed.
    Sleep(10 * 60 * 1000);
    return 0;
}
