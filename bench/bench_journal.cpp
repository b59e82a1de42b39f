// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of unsaved edits: one key at the end of 100 MB with and without
// it (interleaved, same run), the journal's size after 1,000 keys, and Save
// with and without a journal to remove.
#include "BenchUtil.h"
#include "editor/DocumentJournal.h"
#include "platform/TextBox.h"
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    bench::Editor editor;
    Form1 *form = editor.form;
    form->Text1->loadBytes(bench::document(100ll * 1000 * 1000));
    form->Text1->selectBytes(form->Text1->byteLength(), form->Text1->byteLength());
    bench::runEvents(100);
    const auto key = [form] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(form->Text1, &press);
        QApplication::processEvents();
    };
    // Rounds of 50 keys each way, alternating, so that the machine's load falls on both alike.
    std::vector<double> with, without;
    for (int round = 0; round < 20; ++round) {
        form->journal().setFolder(round % 2 ? dir.path() : QString());
        (round % 2 ? with : without).push_back(bench::timed(50, key));
    }
    const double on = bench::median(with), off = bench::median(without);
    bench::report("one key at the end of 100 MB, no journal", off, "ms");
    bench::report("one key at the end of 100 MB, with the journal", on, "ms");
    bench::report("  ratio (target <= 1.05)", on / off, "x");

    form->journal().setFolder(dir.path());
    form->journal().reset();
    for (int i = 0; i < 1000; ++i)
        key();
    bench::report("journal after 1,000 keys", QFileInfo(form->journal().writer().path()).size(), "B");

    const QString doc = dir.filePath(QStringLiteral("big.txt"));
    const auto save = [&] {
        key();   // something unsaved, so that Save asks for a name and there is a journal
        editor.dialogs.chooseFile(doc);
        form->mnufilesaveas->trigger();
    };
    form->journal().setFolder(QString());
    const double saveOff = bench::timed(3, save);
    form->journal().setFolder(dir.path());
    const double saveOn = bench::timed(3, save);
    bench::report("Save As 100 MB, no journal", saveOff, "ms");
    bench::report("Save As 100 MB, removing its journal", saveOn, "ms");
    bench::report("  ratio", saveOn / saveOff, "x");
    return 0;
}
