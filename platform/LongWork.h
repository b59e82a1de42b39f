// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work that can take seconds (reading or writing a big file, searching or
// copying a big text) runs on a thread of its own while the windows stay
// painted: the busy cursor shows at once and a progress bar in the status bar
// once the work has taken a moment. What the user types or clicks meanwhile
// waits and arrives when the work is over, as it would after a blocking load.
#include <QtGlobal>
#include <atomic>
#include <functional>

class StatusBar;

class LongWork
{
public:
    struct Progress {
        std::atomic<qint64> done{0}, total{0};   // total 0: unknown
        void report(qint64 doneNow, qint64 totalNow)
        {
            done = doneNow;
            total = totalNow;
        }
    };
    // Runs job on another thread and returns when it is over. The job must not
    // touch widgets; nothing else changes the text while it runs.
    static void run(StatusBar *bar, const std::function<void(Progress &)> &job);
};
