// SPDX-License-Identifier: GPL-3.0-or-later
// Find and Replace on a 100 MB document whose only hit lies near its end,
// next to a plain memchr/memmem over the same bytes.
#include "BenchUtil.h"
#include "editor/Form1.h"
#include "support/ScriptedDialogs.h"
#include "platform/TextBox.h"
#include "search/FindDialog.h"
#include "search/ReplaceDialog.h"
#include "text/TextSearch.h"
#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {
using bench::timed;

int failures = 0;
void check(bool ok, const char *what)
{
    if (!ok) {
        std::printf("WRONG RESULT: %s\n", what);
        ++failures;
    }
}
}

int main(int argc, char **argv)
{
    // The offscreen platform cannot raise windows and says so on every press.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    bench::Editor editor;
    WindowRegistry &windows = editor.windows;
    editor.dialogs.onUnexpected = [](const QString &m) { std::printf("unexpected: %s\n", qPrintable(m)); ++failures; };

    constexpr qint64 Size = 100'000'000;
    const QByteArray needle = "Zq7-Needle#End";
    const QByteArray other = "Zq7-Pin#End";
    QByteArray doc = bench::document(Size);
    const qint64 at = Size - 1000;
    doc.replace(at, needle.size(), needle);

    Form1 *form = editor.form;
    TextBox *box = form->Text1;
    box->loadBytes(doc);
    doc.clear();
    doc.squeeze();
    const int runs = 5;
    std::printf("100 MB document, the only hit at byte %lld; median of %d runs\n", at, runs);

    const QByteArrayView bytes = box->bytes();
    const void *found = nullptr;
    const double memchrMs = timed(runs, [&] { found = std::memchr(bytes.data(), 'Z', size_t(bytes.size())); });
    check(found == bytes.data() + at, "memchr");
    const double memmemMs = timed(runs, [&] {
        found = memmem(bytes.data(), size_t(bytes.size()), needle.constData(), size_t(needle.size()));
    });
    check(found == bytes.data() + at, "memmem");
    bench::report("baseline: memchr for the first byte", memchrMs, "ms");
    bench::report("baseline: memmem for the search text", memmemMs, "ms");

    textsearch::Match m;
    const double exactMs = timed(runs, [&] { m = textsearch::findUtf8(bytes, needle, textsearch::Compare::Binary); });
    check(m.start == at, "findUtf8 exact");
    QElapsedTimer first;
    first.start();
    m = textsearch::findUtf8(bytes, "zQ7-nEEDLE#eND", textsearch::Compare::Text);
    const double firstTextMs = bench::ms(first);
    const double textMs = timed(runs, [&] { m = textsearch::findUtf8(bytes, "zQ7-nEEDLE#eND", textsearch::Compare::Text); });
    check(m.start == at && m.end == at + needle.size(), "findUtf8 case-blind");
    bench::report("search alone, exact", exactMs, "ms");
    bench::report("search alone, case-blind (first: builds case table)", firstTextMs, "ms");
    bench::report("search alone, case-blind", textMs, "ms");

    FindDialog *find = windows.showFind();
    find->Text1->setPlainText(QString::fromLatin1(needle));
    find->Check1->setChecked(true);
    const double findExactMs = timed(runs, [&] { find->Command1_Click(); });
    check(box->SelStart() == at && box->SelLength() == needle.size(), "Find exact");
    find->Text1->setPlainText(QStringLiteral("zQ7-nEEDLE#eND"));
    find->Check1->setChecked(false);
    box->setSelStart(0);
    const double findTextMs = timed(runs, [&] { find->Command1_Click(); });
    check(box->SelStart() == at && box->SelLength() == needle.size(), "Find case-blind");

    // Each press replaces the one hit; the next swaps it back.
    ReplaceDialog *replace = windows.showReplace();
    std::vector<double> replaceTimes;
    for (int i = 0; i < runs; ++i) {
        const bool forth = i % 2 == 0;
        replace->Text1->setPlainText(QString::fromLatin1(forth ? needle : other).toLower());
        replace->Text2->setPlainText(QString::fromLatin1(forth ? other : needle));
        QElapsedTimer t;
        t.start();
        replace->Command1_Click();
        replaceTimes.push_back(bench::ms(t));
        const QByteArray now = forth ? other : needle;
        check(box->bytes().sliced(at, now.size()) == now && box->byteLength() == Size - needle.size() + now.size(), "Replace");
        check(box->SelStart() == at + now.size() && box->SelLength() == 0, "Replace caret");
    }
    std::sort(replaceTimes.begin(), replaceTimes.end());
    const double replaceMs = replaceTimes[replaceTimes.size() / 2];

    bench::report("Find, exact (Command1_Click)", findExactMs, "ms", "target < 100 ms");
    bench::report("Find, case-blind (Command1_Click)", findTextMs, "ms", "target < 300 ms");
    bench::report("Replace, one press (Command1_Click)", replaceMs, "ms", "target < 300 ms");
    bench::report("ratio Find exact / memmem", findExactMs / memmemMs, "x");
    bench::report("ratio Find case-blind / memmem", findTextMs / memmemMs, "x");
    bench::report("ratio Replace / memmem", replaceMs / memmemMs, "x");
    bench::report("ratio Find case-blind / memchr", findTextMs / memchrMs, "x");
    bench::report("peak memory", bench::peakRssMb(), "MB");
    check(editor.dialogs.messages().isEmpty(), "no message");
    return failures ? 1 : 0;
}
