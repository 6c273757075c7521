#pragma once
// The terminal edge of a command-line program.

namespace kvt::platform {

// Called first thing in main(): standard input and output carry our bytes unchanged (no CR
// added before LF, so JSON and CSV are the same bytes on every system) and the console shows
// UTF-8 text.
void prepareConsole();

}  // namespace kvt::platform
