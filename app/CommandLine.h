#pragma once
// The command-line conventions that need no window: "--help" and "--version" as the first
// argument are answered on standard output before the application or the engine exists. Every
// other command line belongs to the main window (TForm1::HandleCommandLine).

#include <ostream>

namespace commandline {

enum class Request { Window, Help, Version };

// What the command line asks for; only the first argument is looked at.
Request Classify(int argc, const char *const argv[]);

// Writes the help or the version text to out. Returns the exit status: 0, or 1 with a message
// to err when out could not be written.
int Answer(Request request, std::ostream &out, std::ostream &err);

} // namespace commandline
