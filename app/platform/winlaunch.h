#pragma once

// Windows only, and no Qt: starts a command line as a new process whose
// window shows maximised and focused, without waiting for it. False when the
// process could not be started.
bool startMaximised(const wchar_t *commandLine);
