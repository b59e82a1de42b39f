// SPDX-License-Identifier: GPL-3.0-or-later
// Opening, typing into, saving and idling with a 100 MB document, each beside
// the plain file operation on the same bytes in the same run.
#include "BenchUtil.h"
#include "platform/CommonDialog.h"
#include "platform/TextBox.h"
#include "support/Accessibility.h"
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <unistd.h>

namespace {
using bench::runEvents;

// A screen reader's usual questions when the caret moves: where, the line there, how long the text is.
int caretReports = 0;
void screenReader(QAccessibleEvent *event)
{
    if (event->type() != QAccessible::TextCaretMoved)
        return;
    ++caretReports;
    QAccessibleTextInterface *text = event->accessibleInterface()->textInterface();
    int start = 0, end = 0;
    text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end);
    text->characterCount();
}

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 size = 100ll * 1000 * 1000;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        const QByteArray chunk = bench::document(8000 * 80);
        for (qint64 written = 0; written < size; written += chunk.size())
            out.write(chunk.constData(), qMin<qint64>(chunk.size(), size - written));
    }

    QElapsedTimer t;
    double rawRead = 1e9;
    for (int i = 0; i < 3; ++i) {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        t.start();
        const QByteArray bytes = in.readAll();
        rawRead = qMin(rawRead, bench::ms(t));
        if (bytes.size() != size)
            return 1;
    }

    bench::Editor editor;
    Form1 *form = editor.form;
    ScriptedDialogs &dialogs = editor.dialogs;
    runEvents(100);
    form->Saved = true;

    dialogs.chooseFile(path);
    t.start();
    form->mnufileopen->trigger();
    form->Text1->repaint();
    const double open = bench::ms(t);
    runEvents(50);
    if (form->Text1->byteLength() != size)
        return 1;
    const double rss = bench::peakRssMb(), rssOpen = bench::rssMb();

    form->Text1->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    form->Text1->repaint();
    t.start();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QApplication::sendEvent(form->Text1, &key);
    form->Text1->repaint();
    const double typing = bench::ms(t);
    form->Text1->SendScintilla(QsciScintillaBase::SCI_DELETEBACK);
    runEvents(20);

    const int ticks = 100000;
    t.start();
    for (int i = 0; i < ticks; ++i)
        form->Timer1_Timer();
    const double tick = t.nsecsElapsed() / 1e3 / ticks;

    const QString rawPath = dir.filePath(QStringLiteral("raw.txt"));
    // Disk writeback makes single writes noisy: medians of five.
    // Like Save, each write after the first replaces an existing 100 MB file.
    std::vector<double> rawWrites, syncedWrites, saves;
    double rssSaved = 0;
    for (int i = 0; i < 5; ++i) {
        const QByteArrayView bytes = form->Text1->bytes();
        // Each write starts with no dirty pages, so neither is throttled by the other's writeback.
        ::sync();
        t.start();
        QFile out(rawPath);
        out.open(QIODevice::WriteOnly);
        out.write(bytes.data(), bytes.size());
        out.flush();
        rawWrites.push_back(bench::ms(t));
        // Save makes sure its bytes are on the disk before the new file replaces the old.
        ::fsync(out.handle());
        syncedWrites.push_back(bench::ms(t));
        out.close();

        form->Saved = true;
        ::sync();
        t.start();
        form->mnufilesave->trigger();
        saves.push_back(bench::ms(t));
        if (i == 1)
            rssSaved = bench::rssMb();
    }
    // A second name makes Save write in place: the old bytes are copied aside first, then overwritten.
    std::vector<double> inPlaceSaves;
    QFile::link(path, path + QStringLiteral(".link"));
    for (int i = 0; i < 3; ++i) {
        form->Saved = true;
        ::sync();
        t.start();
        form->mnufilesave->trigger();
        inPlaceSaves.push_back(bench::ms(t));
    }
    const double rawWrite = bench::median(rawWrites), syncedWrite = bench::median(syncedWrites), save = bench::median(saves);
    const double inPlace = bench::median(inPlaceSaves);
    if (QFileInfo(path).size() != size || dialogs.pending() || !dialogs.failures().isEmpty())
        return 1;

    // Caret moves and typing at the end, without and then with a screen reader
    // listening (its usual questions on each caret move included). After the
    // memory figures: the position index it builds stays.
    const auto perKey = [&] {
        std::vector<double> rounds;
        for (int round = 0; round < 40; ++round) {
            QElapsedTimer k;
            k.start();
            for (auto [key, text] : {std::pair{Qt::Key_Left, ""}, {Qt::Key_Right, ""}, {Qt::Key_X, "x"}, {Qt::Key_Backspace, ""}}) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
                QApplication::sendEvent(form->Text1, &press);
                QCoreApplication::processEvents();   // the paint, then the reports it leads to
                QCoreApplication::processEvents();
            }
            rounds.push_back(bench::ms(k) / 4);
        }
        return bench::median(rounds);
    };
    perKey();
    const double keyPlain = perKey();
    QAccessible::installUpdateHandler(screenReader);
    testsupport::setAccessibilityActive(true);
    // A screen reader arriving asks for the box first.
    QAccessible::queryAccessibleInterface(form->Text1)->textInterface()->cursorPosition();
    perKey();   // the first report builds the position index
    caretReports = 0;
    const double keyAccessible = perKey();
    if (caretReports < 40 * 4)
        return 1;
    testsupport::setAccessibilityActive(false);
    QAccessible::installUpdateHandler(nullptr);

    // Idle with the window active and the caret blinking in the box, first on
    // the 100 MB of short lines, then at the end of one 10 MB line.
    form->activateWindow();
    form->Text1->setFocus();
    const auto idleCpu = [](int ms) {
        runEvents(500);
        const double cpuBefore = cpuSeconds();
        QElapsedTimer idle;
        idle.start();
        runEvents(ms);
        return 100.0 * (cpuSeconds() - cpuBefore) / (idle.nsecsElapsed() / 1e9);
    };
    const bool blinking = form->Text1->hasFocus() && form->Text1->SendScintilla(QsciScintillaBase::SCI_GETCARETPERIOD) > 0;
    const double idleShortLines = idleCpu(10000);
    form->Text1->loadBytes(QByteArray(10 * 1000 * 1000, 'x'));
    form->Text1->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    form->Text1->repaint();
    const double idleLongLine = idleCpu(5000);

    std::printf("100 MB document of 80-character lines\n");
    const double fileMb = size / (1024.0 * 1024.0);
    bench::report("raw read of the file", rawRead, "ms");
    bench::report("open into the editor until first paint", open, "ms", "(target < 1000 ms)");
    bench::report("  open / raw read", open / rawRead, "x", "(target <= 3x)");
    bench::report("peak RSS up to the end of Open", rss, "MB");
    bench::report("  peak RSS / file size", rss / fileMb, "x", "(target <= 1.8x)");
    bench::report("  RSS after Open / file size", rssOpen / fileMb, "x", "(target <= 1.5x)");
    bench::report("  RSS after the second Save / file size", rssSaved / fileMb, "x", "(target <= 1.5x)");
    bench::report("type one character at the end (with repaint)", typing, "ms", "(target < 5 ms)");
    bench::report("caret move or typing at the end, per key", keyPlain, "ms");
    bench::report("  the same with a screen reader listening", keyAccessible, "ms");
    bench::report("  accessibility work per key", keyAccessible - keyPlain, "ms", "(target <= 1 ms)");
    bench::report("  with / without", keyAccessible / keyPlain, "x");
    bench::report("one Timer1_Timer run", tick, "us", "(target < 2 us)");
    bench::report("raw write of the same bytes over an existing file", rawWrite, "ms");
    bench::report("  the same, flushed to the disk (fsync)", syncedWrite, "ms");
    bench::report("Save", save, "ms");
    bench::report("  Save / raw write", save / rawWrite, "x");
    bench::report("  Save / raw write flushed to the disk", save / syncedWrite, "x", "(target <= 1.2x)");
    bench::report("Save in place (a file with two names)", inPlace, "ms");
    bench::report("  Save in place / raw write flushed to the disk", inPlace / syncedWrite, "x",
                  "(a copy of the old bytes first)");
    bench::report(blinking ? "idle CPU over 10 s, caret blinking" : "idle CPU over 10 s (caret NOT blinking)", idleShortLines, "%",
                  "(target < 0.2% of a core)");
    bench::report("  the same at the end of a 10 MB line, over 5 s", idleLongLine, "%", "(target < 0.2% of a core)");
    return 0;
}
