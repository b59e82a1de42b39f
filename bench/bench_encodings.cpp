// SPDX-License-Identifier: GPL-3.0-or-later
// Opens and saves every *.txt file of a folder as the editor does (tools/encoding_corpus.py
// makes such a folder): how many were read as which encoding, how many show the text of
// their UTF-8 source beside them (NAME.txt.utf8), and every file that did not come back
// byte for byte, which must be none.
#include "text/TextFile.h"
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {   // make bench runs it through tools/encoding_corpus.py
        std::printf("usage: bench_encodings FOLDER (tools/encoding_corpus.py makes one)\n");
        return 0;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QMap<QString, std::pair<int, int>> byEncoding;   // files, of which shown as their source
    QMap<QString, int> misread;                      // the file's own encoding -> read as another
    int files = 0, failures = 0;
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QByteArray raw, source;
        if (!textfile::read(dir.filePath(name), raw).ok)
            continue;
        const textfile::Decoded d = textfile::decode(raw);
        const bool exact = textfile::encode(d.utf8, d.encoding) == raw;
        const bool hasSource = textfile::read(dir.filePath(name + QStringLiteral(".utf8")), source).ok;
        const bool shown = hasSource && d.utf8 == source;
        auto &[count, asSource] = byEncoding[d.encoding.displayName()];
        ++files, ++count, asSource += shown;
        if (hasSource && !shown)
            ++misread[name.section(QLatin1Char('.'), 1, 1) + QStringLiteral(" as ") + d.encoding.displayName()];
        if (!exact) {
            ++failures;
            std::printf("NOT BYTE-EXACT: %s (read as %s)\n", qPrintable(name), qPrintable(d.encoding.displayName()));
        }
    }
    std::printf("%-14s %6s %16s\n", "read as", "files", "shown as source");
    for (auto it = byEncoding.cbegin(); it != byEncoding.cend(); ++it)
        std::printf("%-14s %6d %16d\n", qPrintable(it.key()), it->first, it->second);
    std::printf("%-14s %6d\nbyte-exactness failures: %d\n", "total", files, failures);
    for (auto it = misread.cbegin(); it != misread.cend(); ++it)
        std::printf("  misread: %s (%d)\n", qPrintable(it.key()), it.value());
    return failures == 0 ? 0 : 1;
}
