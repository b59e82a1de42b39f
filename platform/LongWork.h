// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Work that can take seconds (reading or writing a big file) runs on a thread of
// its own while the window stays painted: the busy cursor shows at once, a
// progress bar in the status bar once the work has taken a moment, and the
// user's input is held off meanwhile, but for Esc, which cancels.
#include <QtGlobal>
#include <atomic>
#include <functional>

class StatusBar;

class LongWork
{
public:
    struct Progress {
        std::atomic<qint64> done{0}, total{0};
        std::atomic<bool> cancelled{false};
        // Called by the work as it goes; false once the user has cancelled.
        bool report(qint64 doneNow, qint64 totalNow)
        {
            done = doneNow;
            total = totalNow;
            return !cancelled;
        }
    };
    // Runs job on another thread and returns when it is over. The job must not
    // touch widgets; nothing else changes the text while it runs.
    static void run(StatusBar *bar, const std::function<void(Progress &)> &job);
};
