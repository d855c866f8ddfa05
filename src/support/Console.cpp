#include "support/Console.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <cstdlib>
#endif

namespace Console {

#ifdef _WIN32

namespace {

// The code page to give back; 0 while nothing was changed.
std::atomic<UINT> g_previousCodePage{0};

bool isConsole(DWORD which)
{
    const HANDLE handle = ::GetStdHandle(which);
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

}  // namespace

void useUtf8Output()
{
    if (!isConsole(STD_OUTPUT_HANDLE) && !isConsole(STD_ERROR_HANDLE))
        return;
    const UINT previous = ::GetConsoleOutputCP();
    if (previous == CP_UTF8 || !::SetConsoleOutputCP(CP_UTF8))
        return;
    // The console outlives the program (it is the user's command prompt): its code page is
    // given back at the end.
    if (g_previousCodePage.exchange(previous) == 0)
        std::atexit(restoreOutput);
}

void restoreOutput()
{
    const UINT previous = g_previousCodePage.exchange(0);
    if (previous != 0)
        ::SetConsoleOutputCP(previous);
}

#else

void useUtf8Output() {}
void restoreOutput() {}

#endif

}  // namespace Console
