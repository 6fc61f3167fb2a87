#pragma once
// Where the reference host's answers go. It is a windowed program: started
// from cmd.exe it has no standard output at all, so its answers (the usage,
// what --save did, why a tour failed) go to the console it was started from,
// and where there is none a failure is shown in a message box instead.
#include <string>

namespace console_output {

// Gives standard output and standard error the console of the process that
// started the host when they lead nowhere. A redirection, a pipe or a
// console the host already has stays as it is.
void attachToStartingConsole();

// True when standard error leads somewhere: a console, a file or a pipe.
bool canAnswer();

// A line on standard output, as typed (UTF-8, shown in any script).
void say(const std::string& text);

// "quorin_host: text" on standard error; where it leads nowhere, and unless
// `quiet` (a tour, which must never wait for a click), in a message box.
void tell(const std::string& text, bool quiet);

}  // namespace console_output
