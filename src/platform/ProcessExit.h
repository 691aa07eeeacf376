#pragma once

// Ends the process at once with the given exit code: no window is closed, no event
// loop returns and no destructor runs.
[[noreturn]] void terminateProcess(int exitCode);
