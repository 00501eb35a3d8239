// A sample component for the installation tests: registering it (regsvr32 calls
// DllRegisterServer) writes "<its own path>.registered", so a test can see the registration.
#include <windows.h>

#include <string>

#include "common/win32/handles_win.h"

namespace {
HINSTANCE self = nullptr;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        self = instance;
    return TRUE;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllRegisterServer() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(self, path, MAX_PATH);
    std::string marker = std::string(path) + ".registered";
    win32::KernelHandle file(CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return E_FAIL;
    DWORD written = 0;
    WriteFile(file.get(), "registered", 10, &written, nullptr);
    return S_OK;
}

extern "C" __declspec(dllexport) HRESULT __stdcall DllUnregisterServer() {
    return S_OK;
}
