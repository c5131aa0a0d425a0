#pragma once

#include "app/Backend.h"
#include "diagnosis/script/Script.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>

#include <cstdio>
#include <optional>
#include <vector>

namespace kw::app {

// Exit status for bad usage or bad input.
inline constexpr int exitUsage = 2;

void print(FILE* stream, const QString& text);
void write(FILE* stream, const QByteArray& bytes);
// The exit status once standard output has been written out: a write that failed (a full disk, a
// closed pipe) is said on standard error and turns success into status 1.
int finishStandardOutput(int status);
void setApplicationInfo();

const QCommandLineOption& helpOption();
const QCommandLineOption& machineOption();
const QCommandLineOption& fsRootOption();

// Parses the arguments after the first skip ones. Returns the exit status when the command is done
// already (help shown: 0; a mistake explained: 2), nothing when it should go on.
// positional: how many arguments that are not options the command takes.
std::optional<int> parseOrExplain(QCommandLineParser& parser, const QString& command, int skip = 0, int positional = 0);

// The whole of a regular file of at most maxBytes; absent with the reason in error.
std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes, QString& error);

// Reads and parses a script file; absent with the reason in error.
std::optional<std::vector<diagnosis::script::Line>> loadScript(const QString& path, QString& error);

// The script the option names (none when the option is not given); false, with the problem printed
// for the command, when the script cannot be used.
bool readScriptOption(const QCommandLineParser& parser, const QCommandLineOption& option, const QString& command,
                      std::vector<diagnosis::script::Line>& script);

// What is wrong with --machine and --fs-root as given (empty, or both at once); nothing when they are fine.
std::optional<QString> backendOptionsProblem(const QCommandLineParser& parser);

// The backend that --machine or --fs-root picks; absent, with the problem printed for the command,
// when the options are wrong or the machine cannot be loaded.
std::optional<BackendChoice> backendOrExplain(const QCommandLineParser& parser, const QString& command);

} // namespace kw::app
