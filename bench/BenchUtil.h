#pragma once
// Small helpers shared by the benchmark programs.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <vector>
#include <sys/resource.h>

namespace bench {

// A document of `bytes` bytes in 80-character LF lines (79 characters + LF).
inline QByteArray document(qint64 bytes)
{
    QByteArray line;
    for (int i = 0; i < 79; ++i)
        line.append(char('a' + (i * 7) % 26));
    line.append('\n');
    QByteArray doc;
    doc.reserve(bytes);
    while (doc.size() + line.size() <= bytes)
        doc.append(line);
    doc.append(QByteArray(bytes - doc.size(), 'z'));
    return doc;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline double ms(const QElapsedTimer &t) { return t.nsecsElapsed() / 1e6; }

// Peak resident memory of this process so far, in MB.
inline double peakRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

inline void report(const char *what, double value, const char *unit, const char *target = "")
{
    std::printf("%-52s %12.3f %-4s %s\n", what, value, unit, target);
    std::fflush(stdout);
}

}
