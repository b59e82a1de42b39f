// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers shared by the benchmark programs.
#include "app/WindowRegistry.h"
#include "editor/Form1.h"
#include "platform/Clipboard.h"
#include "platform/LockKeys.h"
#include "support/ScriptedDialogs.h"
#include "platform/Memory.h"
#include "platform/Services.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include <QByteArray>
#include <QFile>
#include <unistd.h>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QString>
#include <QTimer>
#include <functional>
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

// Median of `runs` timings of `f`, in ms.
inline double timed(int runs, const std::function<void()> &f)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(ms(t));
    }
    return median(times);
}

inline void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The main window over the real platform services, with scripted dialogs.
struct Editor {
    ScriptedDialogs dialogs;
    QtClipboard clipboard;
    SystemLockKeys lockKeys;
    NoRegistry registry;
    SystemLauncher launcher;
    Memory memory;
    Services services{dialogs, dialogs, clipboard, lockKeys, registry, launcher, memory};
    WindowRegistry windows{services};
    Form1 *form = nullptr;

    Editor()
    {
        windows.onExit = [] {};
        form = windows.showForm1();
    }
};

// Peak resident memory of this process so far, in MB.
inline double peakRssMb()
{
    // This address space's own peak (VmHWM): getrusage's also counts what a parent held
    // when it forked this process, which hides the peak of a bench run as a child.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Resident memory of this process now, in MB.
inline double rssMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

inline void report(const char *what, double value, const char *unit, const char *target = "")
{
    std::printf("%-52s %12.3f %-4s %s\n", what, value, unit, target);
    std::fflush(stdout);
}

}
