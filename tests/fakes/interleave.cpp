// Test child for the capture pipe: writes to standard output and standard error in turn,
// flushing after each line, so the capture must keep their order of arrival. With the
// argument "silent" it prints nothing; with "flood N" it prints N numbered lines; with
// "endless" it prints lines without pause until it is ended.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

int main(int argc, char** argv) {
    // Binary mode: the lines carry their own "\r\n", as netstat's do.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    if (argc > 1 && std::strcmp(argv[1], "silent") == 0)
        return 0;
    if (argc > 2 && std::strcmp(argv[1], "flood") == 0) {
        int n = std::atoi(argv[2]);
        for (int i = 0; i < n; ++i)
            std::printf("line %05d of the flood\r\n", i);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "endless") == 0) {
        for (unsigned i = 0;; ++i)
            std::printf("line %010u of a flood without end\r\n", i);
    }
    if (argc > 2 && std::strcmp(argv[1], "hang") == 0) {
        std::printf("before the hang\r\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    for (int i = 0; i < 3; ++i) {
        std::fprintf(stdout, "out %d\r\n", i);
        std::fflush(stdout);
        Sleep(30);
        std::fprintf(stderr, "err %d\r\n", i);
        std::fflush(stderr);
        Sleep(30);
    }
    return 0;
}
