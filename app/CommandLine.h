// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line: `zendral [--encoding=NAME] [FILE...]`, `--help` and `--version`.
#include "text/Encoding.h"
#include <QByteArrayList>
#include <QStringList>
#include <functional>
#include <optional>

class Form1;

struct CommandLine {
    QStringList files;             // absolute, in the order given
    std::optional<textfile::Encoding> encoding;   // the user's, for every file
    QStringList passOn;            // the options each further file's process gets too
    // Names that the system's encoding cannot spell (as shown, bytes replaced): refused,
    // since opening what they decode to would start a different file.
    QStringList misspelt;
    std::optional<int> exitCode;   // set when the process ends at once, without a window
    QString out, err;              // what to print then on standard output and error
};

// `arguments` as the process got them, starting with the program's name. Needs no
// application object, so that --help, --version and a usage error work without a display.
CommandLine parseCommandLine(const QByteArrayList &arguments);

// Opens the first file in `form` and reports each misspelt name there; every other
// file gets a process of its own through `startAnother`, since each window holds one
// document. Returns the files whose process could not be started.
QStringList openFiles(Form1 &form, const CommandLine &line,
                      const std::function<bool(const QString &file)> &startAnother);
