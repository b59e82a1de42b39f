// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// At start, before the journals of unsaved edits: the saves in place that a crash
// interrupted, each offered to be undone by putting the file's old bytes back.
#include "text/TextFile.h"
#include <QList>

class MessageBoxes;
class QWidget;
class StatusBar;

namespace interrupted {

// What became of one, for the journal of the edits it was saving.
struct Outcome {
    textfile::Stamp before;                    // the file before that save
    std::optional<textfile::Stamp> restored;   // the file once its old bytes were back
    QString copy;                              // else where the old bytes are kept
};

QList<Outcome> offer(QWidget *parent, MessageBoxes &messages, StatusBar *bar, const QString &dir);

}
