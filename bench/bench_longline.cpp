// SPDX-License-Identifier: GPL-3.0-or-later
// Opening a file of one 5 MB line, beside one layout of that line by the
// editing component in the same run: the component lays a line out whole, and
// Open should not make it do so more than once.
#include "BenchUtil.h"
#include "platform/TextBox.h"
#include <QAction>
#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray line(5 * 1000 * 1000, 'w');
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line.txt"));
    {
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(line);
    }
    using Sci = QsciScintillaBase;

    // One layout: the line loaded and drawn, then laid out again once the
    // component's cached layout is dropped (a style change drops it).
    std::vector<double> layouts;
    {
        TextBox box;
        box.resize(600, 400);
        box.show();
        box.loadBytes(line);
        box.repaint();
        for (int i = 0; i < 3; ++i) {
            box.setFontBold(i % 2 == 0);
            QElapsedTimer t;
            t.start();
            box.SendScintilla(Sci::SCI_POINTXFROMPOSITION, 0, 10);
            layouts.push_back(bench::ms(t));
        }
    }
    const double layout = bench::median(layouts);

    bench::Editor editor;
    Form1 *form = editor.form;
    bench::runEvents(100);
    form->Saved = true;
    editor.dialogs.chooseFile(path);
    QElapsedTimer t;
    t.start();
    form->mnufileopen->trigger();
    form->Text1->repaint();
    const double open = bench::ms(t);
    if (form->Text1->byteLength() != line.size())
        return 1;

    std::printf("A file of one 5 MB line\n");
    bench::report("one layout of the line by the component", layout, "ms");
    bench::report("open into the editor until first paint", open, "ms");
    bench::report("  open / one layout", open / layout, "x", "(target <= 1.2x)");
    return 0;
}
