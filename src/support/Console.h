#pragma once
// The command-line modes print UTF-8. A Windows console shows the bytes it is given in its own
// output code page, which garbles Korean names; redirected output keeps the bytes as written.

namespace Console {

// While stdout or stderr is a console (Windows only), makes UTF-8 its output code page until
// the program ends. Elsewhere, and for output that is not a console, nothing changes.
void useUtf8Output();

// Gives the console back the code page it had: for exits that skip the handlers of atexit.
void restoreOutput();

}  // namespace Console
