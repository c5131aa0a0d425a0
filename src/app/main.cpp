#include "app/CommandLine.h"

int main(int argc, char** argv) { return kw::app::runCommandLine(argc, argv); }
