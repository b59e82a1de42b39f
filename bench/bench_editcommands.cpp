// SPDX-License-Identifier: GPL-3.0-or-later
// Edit, font and colour commands on a 100 MB document, beside the plain
// UTF-8 to UTF-16 conversion of the same bytes (what any clipboard copy costs).
#include "BenchUtil.h"
#include "editor/Form1.h"
#include "platform/Clipboard.h"
#include "support/ScriptedDialogs.h"
#include "platform/TextBox.h"
#include <QApplication>
#include <QClipboard>
#include <QTimer>

namespace {
using bench::runEvents;

template<class F>
double best(F &&f)
{
    double result = 1e9;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        result = qMin(result, bench::ms(t));
    }
    return result;
}
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const qint64 size = 100ll * 1000 * 1000;
    const QByteArray doc = bench::document(size);

    bench::Editor editor;
    Form1 *form = editor.form;
    TextBox *box = form->Text1;
    box->loadBytes(doc);
    box->repaint();
    runEvents(50);

    const double convert = best([&] { QString s = QString::fromUtf8(doc); });
    const double selectAll = best([&] { form->mnueditall_Click(); box->repaint(); });
    const double copyAll = best([&] { form->mnueditcopy_Click(); });
    if (QGuiApplication::clipboard()->text().size() != size)
        return 1;

    // Paste the whole text over a one-character selection at the end.
    double pasteAll = 1e9;
    for (int i = 0; i < 3; ++i) {
        box->loadBytes(doc);
        box->setSelStart(box->length() - 1);
        box->setSelLength(1);
        QElapsedTimer t;
        t.start();
        form->mnueditpaste_Click();
        box->repaint();
        pasteAll = qMin(pasteAll, bench::ms(t));
    }
    if (box->byteLength() != 2 * size - 1)
        return 1;
    box->loadBytes(doc);

    // A line cut from the end and pasted back: the everyday case.
    const double cutLine = best([&] {
        box->setSelStart(box->length() - 160);
        box->setSelLength(80);
        form->mnueditcut_Click();
        box->repaint();
        form->mnueditpaste_Click();
        box->repaint();
    });
    if (box->bytes() != QByteArrayView(doc))
        return 1;

    editor.dialogs.chooseFont(FontChoice{QStringLiteral("DejaVu Sans Mono"), 11, true, false, false, false});
    editor.dialogs.chooseFont(FontChoice{QStringLiteral("DejaVu Sans"), 12, false, true, true, true});
    editor.dialogs.chooseFont(FontChoice{QStringLiteral("DejaVu Serif"), 10, false, false, false, false});
    const double font = best([&] { form->mnueditfont_Click(); box->repaint(); });
    for (quint32 c : {0x00FF0000u, 0x0000FF00u, 0x000000FFu})
        editor.dialogs.chooseColor(c);
    const double color = best([&] { form->mnutoolbcolor_Click(); box->repaint(); });
    if (editor.dialogs.pending() || !editor.dialogs.failures().isEmpty())
        return 1;

    std::printf("100 MB document of 80-character lines\n");
    bench::report("UTF-8 to UTF-16 of the whole text (baseline)", convert, "ms");
    bench::report("Select All (with repaint)", selectAll, "ms");
    bench::report("Copy of the whole text", copyAll, "ms");
    bench::report("  Copy / baseline", copyAll / convert, "x");
    bench::report("Paste of the whole text at the end", pasteAll, "ms");
    bench::report("Cut one line near the end and Paste it back", cutLine, "ms");
    bench::report("Font (six properties, with repaint)", font, "ms");
    bench::report("Back Ground (with repaint)", color, "ms");
    return 0;
}
