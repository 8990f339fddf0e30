#include "main_window/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

#ifndef TAVRIN4X_VERSION
#define TAVRIN4X_VERSION "unknown"
#endif

namespace tavrin {

CommandLine parse_command_line(const QStringList& args) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Control panel for the TAVRIN-4X video processor, over RS-232 (COM1..COM9) or Ethernet.\n"
        "Its files (tavrin_4x.ini, output_reso.txt, bmp/) live beside the program."));
    const QCommandLineOption help = p.addHelpOption();
    const QCommandLineOption version = p.addVersionOption();
    const QCommandLineOption traffic(
        QStringLiteral("traffic-log"),
        QStringLiteral("Append every command sent and every reply received, on both links, to <file>: "
                       "one line each with time, link and direction (never truncates the file)."),
        QStringLiteral("file"));
    p.addOption(traffic);

    CommandLine cl;
    const bool ok = p.parse(args);
    const QString name = args.isEmpty() ? QStringLiteral("tavrin4x") : QFileInfo(args.first()).fileName();
    if (p.isSet(help) || p.isSet(QStringLiteral("help-all"))) {
        cl.action = CommandLine::Action::Help;
        cl.text = p.helpText().replace(QLatin1String("<executable_name>"), name);
    } else if (p.isSet(version)) {
        cl.action = CommandLine::Action::Version;
        cl.text = QStringLiteral("tavrin4x %1\n").arg(QLatin1String(TAVRIN4X_VERSION));
    } else if (!ok || !p.positionalArguments().isEmpty()) {
        cl.action = CommandLine::Action::Error;
        cl.text = QStringLiteral("%1: %2\nTry '%1 --help'.\n")
                      .arg(name, ok ? QStringLiteral("unexpected argument '%1'").arg(p.positionalArguments().first())
                                    : p.errorText());
    } else {
        cl.traffic_log = p.value(traffic);
        if (p.isSet(traffic) && cl.traffic_log.isEmpty()) {
            cl.action = CommandLine::Action::Error;
            cl.text = QStringLiteral("%1: --traffic-log needs a file name\n").arg(name);
        }
    }
    return cl;
}

std::optional<int> answer_help_or_version(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    const CommandLine cl = parse_command_line(args);
    if (cl.action != CommandLine::Action::Help && cl.action != CommandLine::Action::Version) return std::nullopt;
    std::fputs(qPrintable(cl.text), stdout);
    return 0;
}

}  // namespace tavrin
