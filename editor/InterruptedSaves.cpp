// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/InterruptedSaves.h"
#include "editor/Recovery.h"
#include "platform/Dialogs.h"
#include "platform/LongWork.h"
#include "text/KeptCopy.h"

namespace interrupted {

QList<Outcome> offer(QWidget *parent, MessageBoxes &messages, StatusBar *bar, const QString &dir)
{
    using State = textfile::InterruptedSave::State;
    QList<Outcome> outcomes;
    for (textfile::InterruptedSave &save : textfile::InterruptedSave::find(dir)) {
        const textfile::SaveRecord &r = save.record();
        const State state = save.state();
        if (state == State::Unchanged) {   // killed before its first new byte: nothing to undo
            save.remove();
            continue;
        }
        Outcome outcome{r.before, std::nullopt, save.copyPath()};
        if (state == State::Elsewhere) {
            // Told once; the copy is the user's to keep or delete.
            messages.show(parent, recoverytext::saveElsewhere(r.path, save.copyPath()), MsgButtons::Ok);
            save.forget();
            outcomes << outcome;
            continue;
        }
        const MsgAnswer answer = messages.show(parent, recoverytext::saveInterrupted(r.path, save.copyPath()),
                                               MsgButtons::YesNoDefaultYes);
        if (answer == MsgAnswer::Yes) {
            textfile::Result put;
            LongWork::run(bar, [&](LongWork::Progress &progress) {
                put = save.putBack([&](qint64 done, qint64 total) { progress.report(done, total); });
            });
            if (put.ok)
                outcome.restored = put.stamp;
            else   // asked again at the next start, when what stood in the way may be gone
                messages.show(parent, recoverytext::cannotPutBack(r.path, put.error, save.copyPath()), MsgButtons::Ok);
        } else if (answer == MsgAnswer::No) {
            save.forget();
        }
        // Unanswered (the program is ending): asked again at the next start.
        outcomes << outcome;
    }
    return outcomes;
}

}
