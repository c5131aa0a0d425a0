#pragma once

namespace kw::app {

// Exit status: 0 success, 1 a check failed, 2 bad usage or bad input.
int runCommandLine(int argc, char** argv);

} // namespace kw::app
