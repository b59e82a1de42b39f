// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "editor/Form1.h"
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSet>

namespace {
// The argument that named an unknown option, as it was typed.
QString unknownOption(const QStringList &arguments, const QString &name)
{
    for (const QString &a : arguments.mid(1)) {
        if (a == QLatin1String("--"))
            break;
        const QString option = a.section(u'=', 0, 0);
        if (option.startsWith(u'-') && option.mid(option.startsWith(QLatin1String("--")) ? 2 : 1) == name)
            return option;
    }
    return name;
}
}

CommandLine parseCommandLine(const QByteArrayList &raw)
{
    QStringList arguments;
    QSet<QString> misspelt;
    for (const QByteArray &a : raw) {
        arguments << QFile::decodeName(a);
        if (QFile::encodeName(arguments.last()) != a)
            misspelt << arguments.last();
    }
    QCommandLineParser parser;
    // "-dash.txt" is one unknown option, not seven.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Zendral, a small plain-text editor."));
    // Not addHelpOption(): its --help-all lists Qt's own options, which this program does not take.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays version information."));
    parser.addOption(version);
    const QCommandLineOption encoding(QStringLiteral("encoding"),
                                      QStringLiteral("Reads each FILE in the encoding NAME (such as Shift_JIS, "
                                                     "windows-1251, UTF-16LE) instead of the one detected."),
                                      QStringLiteral("NAME"));
    parser.addOption(encoding);
    // A session manager that restarts programs adds `-session ID`; no session is restored, but it starts.
    QCommandLineOption session(QStringLiteral("session"), QString(), QStringLiteral("id"));
    session.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(session);
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The text file to open, created by the first Save if it does not "
                                                "exist yet. Each further FILE opens in a window of its own. "
                                                "Write -- before a FILE whose name starts with a dash."),
                                 QStringLiteral("[FILE...]"));
    // The help names the program only once an application object exists, which it does not need.
    const QString helpText = parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String("zendral"));
    CommandLine line;
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        const QString error = unknown.isEmpty()
            ? parser.errorText() : QStringLiteral("zendral: unknown option ") + unknownOption(arguments, unknown[0]);
        line.err = error + QLatin1String("\n\n") + helpText;
        line.exitCode = 2;
    } else if (parser.isSet(help)) {
        line.out = helpText;
        line.exitCode = 0;
    } else if (parser.isSet(version)) {
        line.out = QStringLiteral("zendral %1\n").arg(QLatin1String(ZENDRAL_VERSION));
        line.exitCode = 0;
    } else if (parser.isSet(encoding) && !textfile::Encoding::named(parser.value(encoding).toLatin1())) {
        line.err = QStringLiteral("zendral: unknown encoding \"%1\"; names such as UTF-8, Shift_JIS or windows-1251 "
                                  "will do.\n").arg(parser.value(encoding));
        line.exitCode = 2;
    } else {
        if (parser.isSet(encoding)) {
            line.encoding = textfile::Encoding::named(parser.value(encoding).toLatin1());
            line.passOn << QStringLiteral("--encoding=") + parser.value(encoding);
        }
        // Never cleaned: "link/.." is not the folder the name is in.
        const QDir here = QDir::current();
        for (const QString &file : parser.positionalArguments())
            (misspelt.contains(file) ? line.misspelt : line.files) << here.absoluteFilePath(file);
    }
    return line;
}

QStringList openFiles(Form1 &form, const CommandLine &line,
                      const std::function<bool(const QString &)> &startAnother)
{
    for (const QString &name : line.misspelt)
        form.reportCannotOpen(name, QStringLiteral("Its name is not valid in this system's character encoding."));
    const QStringList &files = line.files;
    QStringList failed;
    for (qsizetype i = 1; i < files.size(); ++i)
        if (!startAnother(files[i]))
            failed << files[i];
    if (!files.isEmpty() && !files.first().isEmpty())   // empty: the window holds its text already
        form.startWith(files.first(), line.encoding);
    return failed;
}
