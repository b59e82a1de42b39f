// SPDX-License-Identifier: GPL-3.0-or-later
// A 2.5 GB file of 80-character lines, past every 32-bit position: it opens,
// its first and last lines are drawn as a fresh box draws the same lines, a
// Find of a word in the last line selects it, and Save gives back the same bytes,
// replacing the file or, for a file with a second name, in place.
#include "BenchUtil.h"
#include "platform/StatusBar.h"
#include "platform/TextBox.h"
#include "search/FindDialog.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <unistd.h>

namespace {
using Sci = QsciScintillaBase;

// What `shown` shows, drawn by a fresh box of the same size and font holding only `lines`.
bool drawnAlike(TextBox &shown, const QByteArray &lines, bool atEnd)
{
    TextBox fresh;
    fresh.setFontName(shown.FontName());
    fresh.setFontSize(shown.FontSize());
    fresh.resize(shown.size());
    // A scroll bar would take a line's height from one of them only: neither has one.
    fresh.SendScintilla(Sci::SCI_SETHSCROLLBAR, 0);
    fresh.show();
    fresh.loadBytes(lines);
    if (atEnd)
        fresh.SendScintilla(Sci::SCI_DOCUMENTEND);
    bench::runEvents(50);
    // The caret blinks and shows only with the focus: both drawn without it.
    for (TextBox *box : {&fresh, &shown})
        box->SendScintilla(Sci::SCI_SETCARETSTYLE, Sci::CARETSTYLE_INVISIBLE);
    const auto restore = qScopeGuard([&] { shown.SendScintilla(Sci::SCI_SETCARETSTYLE, Sci::CARETSTYLE_LINE); });
    // The area both show.
    const QImage wantAll = fresh.viewport()->grab().toImage(), gotAll = shown.viewport()->grab().toImage();
    const QRect both = wantAll.rect().intersected(gotAll.rect());
    const QImage want = wantAll.copy(both), got = gotAll.copy(both);
    if (want != got) {
        want.save(QDir::temp().filePath(QStringLiteral("zendral-want-%1.png").arg(atEnd)));
        got.save(QDir::temp().filePath(QStringLiteral("zendral-got-%1.png").arg(atEnd)));
    }
    return want == got;
}
}

int main(int argc, char **argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    // Another size in bytes may be given, to try the bench out on a small file.
    const qint64 size = argc > 1 ? QByteArray(argv[1]).toLongLong() : 2'500'000'000;
    const QByteArray lastLine = QByteArray("the last line of the file holds the word zebrafinch once").leftJustified(79, '.') + '\n';
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zendral-huge-XXXXXX"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(dir.filePath(QStringLiteral("state"))));   // the old bytes' copy
    const QString path = dir.filePath(QStringLiteral("huge.txt")), copy = dir.filePath(QStringLiteral("copy.txt"));
    const QByteArray chunk = bench::document(100'000 * 80);
    QElapsedTimer t;
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        for (qint64 written = 0; written < size - lastLine.size(); written += chunk.size())
            out.write(chunk.constData(), qMin<qint64>(chunk.size(), size - lastLine.size() - written));
        out.write(lastLine);
    }
    double readMs = 0;
    {
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        QByteArray buffer(4 << 20, Qt::Uninitialized);
        t.start();
        while (in.read(buffer.data(), buffer.size()) > 0) {
        }
        readMs = bench::ms(t);
    }

    bench::Editor editor;
    Form1 *form = editor.form;
    TextBox *box = form->Text1;
    bench::runEvents(100);
    form->Saved = true;
    editor.dialogs.chooseFile(path);
    t.start();
    form->mnufileopen->trigger();
    box->repaint();
    const double openMs = bench::ms(t);
    const bool opened = box->byteLength() == size;
    const double peakOpen = bench::peakRssMb();

    box->SendScintilla(Sci::SCI_SETHSCROLLBAR, 0);
    bench::runEvents(50);
    const bool firstDrawn = drawnAlike(*box, chunk.first(200 * 80), false);
    box->SendScintilla(Sci::SCI_DOCUMENTEND);
    bench::runEvents(50);
    const bool lastDrawn = drawnAlike(*box, chunk.first(200 * 80) + lastLine, true);

    FindDialog *find = editor.windows.showFind();
    find->Text1->setPlainText(QStringLiteral("zebrafinch"));
    find->Check1->setChecked(true);
    box->setSelStart(0);
    t.start();
    find->Command1_Click();
    const double findMs = bench::ms(t);
    const qint64 word = size - lastLine.size() + lastLine.indexOf("zebrafinch");
    // Checked by bytes: SelStart would build the UTF-16 line index, which Find itself no longer needs.
    const bool found = box->SendScintilla(Sci::SCI_GETSELECTIONSTART) == word && box->selectedBytes() == "zebrafinch";

    editor.dialogs.chooseFile(copy);
    t.start();
    form->mnufilesaveas->trigger();
    const double saveMs = bench::ms(t);
    const bool same = QProcess::execute(QStringLiteral("cmp"), {QStringLiteral("-s"), path, copy}) == 0;
    const double peak = bench::peakRssMb();
    // Saved again in place, as a file with a second name is; the status bar is watched for the progress bar.
    ::link(QFile::encodeName(copy).constData(), QFile::encodeName(copy + QStringLiteral(".2")).constData());
    bool progressShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QProgressBar *bar = form->statusbar->findChild<QProgressBar *>();
        progressShown = progressShown || (bar && bar->isVisible());
    });
    watch.start(50);
    editor.dialogs.chooseFile(copy);
    t.start();
    form->mnufilesaveas->trigger();
    const double inPlaceMs = bench::ms(t);
    watch.stop();
    const bool sameInPlace = QProcess::execute(QStringLiteral("cmp"), {QStringLiteral("-s"), path, copy}) == 0
        && QDir(dir.filePath(QStringLiteral("state/zendral"))).isEmpty();
    // UTF-16 positions past 2^31, as a screen reader asks for them: the line index is built now.
    t.start();
    const bool utf16 = box->SelStart() == word && box->SelLength() == 10 && box->length() == size;
    const double utf16Ms = bench::ms(t);
    const double fileMb = size / (1024.0 * 1024.0);

    std::printf("A %.1f GB file of 80-character lines, the word to find in its last line\n", size / 1e9);
    bench::report("read the file in 4 MB pieces", readMs, "ms");
    bench::report("open into the editor until first paint", openMs, "ms", opened ? "" : "WRONG LENGTH");
    bench::report("  open / read", openMs / readMs, "x");
    bench::report("peak RSS after Open / file size", peakOpen / fileMb, "x");
    std::printf("first lines drawn as a fresh box draws them: %s\n", firstDrawn ? "yes" : "NO");
    std::printf("last lines drawn as a fresh box draws them:  %s\n", lastDrawn ? "yes" : "NO");
    bench::report("Find of the word in the last line", findMs, "ms", found ? "(selected)" : "NOT SELECTED");
    bench::report("Save As", saveMs, "ms", same ? "(same bytes, cmp)" : "BYTES DIFFER");
    bench::report("Save As in place (the file has a second name)", inPlaceMs, "ms",
                  sameInPlace ? "(same bytes, no copy left)" : "BYTES DIFFER OR COPY LEFT");
    bench::report("  in place / replace", inPlaceMs / saveMs, "x", progressShown ? "(progress shown)" : "NO PROGRESS");
    bench::report("peak RSS / file size", peak / fileMb, "x", "(target <= 1.3x)");
    bench::report("UTF-16 position of the hit and length, index built", utf16Ms, "ms", utf16 ? "(right)" : "WRONG");
    bench::report("  peak RSS with the index / file size", bench::peakRssMb() / fileMb, "x");
    return opened && firstDrawn && lastDrawn && found && same && sameInPlace && progressShown && utf16
                   && editor.dialogs.messages().isEmpty()
               ? 0
               : 1;
}
