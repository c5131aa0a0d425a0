// Stands in for /usr/sbin/system_profiler on the simulated Mac: prints the hardware overview that
// the machine file gives, so that the probe's real child-process code runs against it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 3 || std::strcmp(argv[1], "SPHardwareDataType") != 0 || std::strcmp(argv[2], "-json") != 0) {
        std::fputs("usage: kabelwacht-system-profiler SPHardwareDataType -json\n"
                   "(the simulated Mac's stand-in for system_profiler; started by kabelwacht)\n",
                   stderr);
        return 64;
    }
    const char* output = std::getenv("KABELWACHT_PROFILER_OUTPUT");
    if (!output) {
        std::fputs("kabelwacht-system-profiler: no machine given (KABELWACHT_PROFILER_OUTPUT is not set)\n", stderr);
        return 69;
    }
    if (const char* delay = std::getenv("KABELWACHT_PROFILER_DELAY")) {
        const double seconds = std::strtod(delay, nullptr);
        if (seconds > 0)
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    }
    std::fwrite(output, 1, std::strlen(output), stdout);
    std::fflush(stdout);
    const char* status = std::getenv("KABELWACHT_PROFILER_STATUS");
    return status ? std::atoi(status) : 0;
}
