#pragma once

#include "diagnosis/script/Script.h"

#include <QString>

#include <chrono>
#include <functional>

namespace kw::probe {
class SimulatedMac;
}

namespace kw::diagnosis {
class DiagnosticViewModel;
class VirtualScheduler;
}

namespace kw::diagnosis::script {

/// How a script lets program time pass.
class ProgramTime {
public:
    virtual ~ProgramTime() = default;
    /// Lets the program run for d.
    virtual void advance(std::chrono::nanoseconds d) = 0;
    /// Lets the program run until condition holds or limit has passed; true when it holds.
    virtual bool runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit) = 0;
    /// Lets everything that is due now happen.
    virtual void settle() = 0;
};

class VirtualProgramTime final : public ProgramTime {
public:
    explicit VirtualProgramTime(VirtualScheduler& scheduler) : m_scheduler(scheduler) {}
    void advance(std::chrono::nanoseconds d) override;
    bool runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit) override;
    void settle() override;

private:
    VirtualScheduler& m_scheduler;
};

// Real time on the Qt event loop of the calling thread.
class RealProgramTime final : public ProgramTime {
public:
    void advance(std::chrono::nanoseconds d) override;
    bool runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit) override;
    void settle() override;
};

inline constexpr std::chrono::seconds waitLimit{300};

struct Outcome {
    int exitStatus = 0; // 0 ran through, 1 an expectation failed, 2 a command could not be carried out
    QString message;    // why it stopped, for standard error
    bool quit = false;  // the script ended with quit
};

// Runs the script against the model and, for the hardware commands, the simulated Mac (may be null:
// then hardware commands are refused).
Outcome runScript(const std::vector<Line>& lines, DiagnosticViewModel& model, probe::SimulatedMac* machine,
                  ProgramTime& time);

} // namespace kw::diagnosis::script
