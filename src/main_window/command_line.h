#pragma once
// The panel's command line: --help, --version and --traffic-log FILE.

#include <QString>
#include <QStringList>
#include <optional>

namespace tavrin {

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString text;         // what --help or --version prints, or why the line is wrong
    QString traffic_log;  // empty: no traffic log file
};

// args as the program got them, the program's own name first.
CommandLine parse_command_line(const QStringList& args);

// Answers --help and --version before any window is possible, so they also
// work where there is no display. Returns the exit code when it did.
std::optional<int> answer_help_or_version(int argc, char** argv);

}  // namespace tavrin
