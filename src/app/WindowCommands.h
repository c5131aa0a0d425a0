#pragma once

namespace kw::app {

// The program's window on the desktop.
int runWindowCommand(int argc, char** argv);
// The window built offscreen, driven by a script, saved as a PNG.
int runScreenshotCommand(int argc, char** argv);

} // namespace kw::app
