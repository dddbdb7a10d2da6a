#pragma once

// Every Windows call of the program, behind plain types: no Qt, only
// <windows.h> and the standard library. Compiled on Windows only; the
// conversions to and from Qt's types live with their callers.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Starts a command line as a new process whose window shows maximised and
// focused, without waiting for it; its handles are closed at once. False when
// the process could not be started.
bool startMaximised(std::u16string_view commandLine);

// Marks this process as a running copy of the program for as long as it lives:
// a named mutex, which the installer and uninstaller look for so that they
// can ask the user to close the program before replacing or removing it.
void markRunning(std::u16string_view name);

// Standard output and error as the bytes the program writes: no carriage
// return put before each line feed, and UTF-8 shown as such in a console
// (whose code page is set back when the program ends).
void writeUtf8Output();

// The system's ANSI code page (1252 on a Western European Windows).
unsigned ansiCodePage();

// The bytes decoded in the given code page.
std::u16string decodeCodePage(unsigned codePage, std::string_view bytes);

// The binary sort key of a text in a locale ("th-TH"; empty: the user's),
// letter case ignored: two texts compare as their keys compare bytewise.
// Without the key's terminating zero, so the key holds no zero byte.
std::string sortKey(std::u16string_view text, std::u16string_view locale = {});

// Compares two texts in the same order: negative, zero or positive.
int compare(std::u16string_view a, std::u16string_view b, std::u16string_view locale = {});

} // namespace platform
