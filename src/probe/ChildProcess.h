#pragma once

#include "probe/Platform.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kw::probe {

/// Runs a program directly (no shell) and collects its standard output.
/// extraEnvironment entries ("NAME=value") are added to / override the current environment.
/// Returns nullopt when the program cannot be started (missing file, not executable, …).
///
/// Standard input and standard error are /dev/null. The child runs in its own process group;
/// if it is still running when the timeout passes, the group gets SIGTERM and, shortly after,
/// SIGKILL, and the result counts as signalled. The call returns within about half a second
/// after the timeout, always reaps the child, and may be used from several threads at once.
/// The output bytes are returned as they were written, whatever their encoding.
std::optional<ChildExit> runChildProcess(const QString& executablePath, const QStringList& arguments,
                                         Seconds timeout, const QStringList& extraEnvironment = {});

/// The ProcessLauncher of the real operating system, built on runChildProcess.
class PosixProcessLauncher final : public ProcessLauncher {
public:
    std::optional<ChildExit> run(const QString& executablePath, const QStringList& arguments,
                                 Seconds timeout) const override;
};

} // namespace kw::probe
