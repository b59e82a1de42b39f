// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "editor/Form1.h"
#include <QCommandLineParser>
#include <QDir>

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zendral, a small plain-text editor."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    // A session manager that restarts programs adds `-session ID`; no session is restored, but it starts.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QCommandLineOption session(QStringLiteral("session"), QString(), QStringLiteral("id"));
    session.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(session);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The text file to open, created by the first Save if it does not "
                                                "exist yet. Each further FILE opens in a window of its own."),
                                 QStringLiteral("[FILE...]"));
    // The help names the program only once an application object exists, which it does not need.
    const QString helpText = parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("zendral"));
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.err = parser.errorText() + QLatin1String("\n\n") + helpText;
        line.exitCode = 2;
    } else if (parser.isSet(help)) {
        line.out = helpText;
        line.exitCode = 0;
    } else if (parser.isSet(version)) {
        line.out = QStringLiteral("zendral %1\n").arg(QLatin1String(ZENDRAL_VERSION));
        line.exitCode = 0;
    } else {
        // Never cleaned: "link/.." is not the folder the name is in.
        const QDir here = QDir::current();
        for (const QString &file : parser.positionalArguments())
            line.files << here.absoluteFilePath(file);
    }
    return line;
}

QStringList openFiles(Form1 &form, const QStringList &files, const std::function<bool(const QString &)> &startAnother)
{
    QStringList failed;
    for (qsizetype i = 1; i < files.size(); ++i)
        if (!startAnother(files[i]))
            failed << files[i];
    if (!files.isEmpty() && !files.first().isEmpty())   // empty: the window holds its text already
        form.startWith(files.first());
    return failed;
}
