#pragma once

#include <cstddef>
#include <cstdint>

// Every target defines this; libFuzzer drives it in the fuzzing build, ReplayMain in the test build.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
