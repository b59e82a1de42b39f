// SPDX-License-Identifier: GPL-3.0-or-later
// One long line of real text (words, minified JSON, base64, CJK) at 1 and 5 MB
// (more sizes as arguments, in MB), each beside the same bytes split into
// 80-character lines in the same run: open until idle, the cost of each key to
// the repaint (median and worst of 20), Find of a word near the end, peak memory.
// Each case runs in a process of its own, so that its peak memory is its own.
//   bench_longline [--reps N] [--rounds N] [--kinds words,json,base64,cjk] [--moves] [MB ...]
// --moves leaves out the keys that change the text. --rounds runs each pair of cases
// that often, one after the other, and keeps each figure's best round: on a shared
// machine a neighbour's burst then spoils a round, not the comparison.
#include "BenchUtil.h"
#include "platform/TextBox.h"
#include "search/FindDialog.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <ctime>
#include <map>

namespace {
using Sci = QsciScintillaBase;
const QByteArray Needle = "zebrafinch";

long sci(TextBox *box, unsigned int msg, qint64 w = 0, qint64 l = 0)
{
    return box->SendScintilla(msg, (unsigned long)w, long(l));
}

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// `size` bytes of one kind of real text on one line, the needle near its end.
QByteArray realText(const QString &kind, qint64 size)
{
    QRandomGenerator rng(23);
    static const char *words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "editor", "line",
                                  "Saturday", "of", "a", "window", "is", "open", "and", "far", "between", "lines"};
    const auto word = [&] { return QByteArray(words[rng.bounded(20)]); };
    QByteArray out;
    out.reserve(size + 256);
    while (out.size() < size) {
        if (kind == QLatin1String("words")) {
            out += word();
            out += ",.;:!? "[rng.bounded(16) < 3 ? rng.bounded(6) : 6];
            if (out.endsWith(' ') == false)
                out += ' ';
        } else if (kind == QLatin1String("json")) {
            out += "{\"id\":" + QByteArray::number(rng.bounded(100000)) + ",\"name\":\"" + word() + ' ' + word()
                   + "\",\"tags\":[\"" + word() + "\",\"" + word() + "\"],\"ok\":" + (rng.bounded(2) ? "true" : "false")
                   + ",\"v\":" + QByteArray::number(rng.bounded(1000) / 8.0) + "},";
        } else if (kind == QLatin1String("base64")) {
            QByteArray raw(3 * 1024, Qt::Uninitialized);
            rng.fillRange(reinterpret_cast<quint32 *>(raw.data()), raw.size() / 4);
            out += raw.toBase64();
        } else {
            // CJK ideographs with the full-width comma and stop now and then.
            for (int i = 0; i < 64; ++i) {
                const char32_t c = rng.bounded(12) == 0 ? (rng.bounded(2) ? U'\x3002' : U'\xFF0C')
                                                        : char32_t(0x4E00 + rng.bounded(0x5000));
                out += QString::fromUcs4(&c, 1).toUtf8();
            }
        }
    }
    // Cut at a character's start, then ASCII padding to the size.
    qint64 cut = size;
    while (cut > 0 && (uchar(out[cut]) & 0xC0) == 0x80)
        --cut;
    out.truncate(cut);
    out += QByteArray(size - cut, ' ');
    // The needle over whole characters, padded with spaces.
    qint64 at = size - 300;
    while ((uchar(out[at]) & 0xC0) == 0x80)
        --at;
    out.replace(at, Needle.size(), Needle);
    for (qint64 i = at + Needle.size(); (uchar(out[i]) & 0xC0) == 0x80; ++i)
        out[i] = ' ';
    return out;
}

// The same bytes with a line feed after every 80 bytes or fewer, never inside a character.
QByteArray split80(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size() + text.size() / 70);
    qint64 from = 0;
    while (from < text.size()) {
        qint64 to = qMin<qint64>(from + 80, text.size());
        while (to < text.size() && to > from && (uchar(text[to]) & 0xC0) == 0x80)
            --to;
        out += QByteArrayView(text).sliced(from, to - from);
        out += '\n';
        from = to;
    }
    return out;
}

// Until nothing is left to do: posted corrections, then one frame drawn.
void settle(TextBox *box)
{
    QCoreApplication::processEvents();
    box->viewport()->repaint();
    QCoreApplication::processEvents();
}

// Timed by the process's CPU time: on a shared machine the wall clock measures the neighbours.
struct Timings {
    std::vector<double> ms;
    void add(const std::function<void()> &f, TextBox *box)
    {
        const double start = cpuMs();
        f();
        settle(box);
        ms.push_back(cpuMs() - start);
    }
};

void key(TextBox *box, int k, const QString &text = {})
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QCoreApplication::sendEvent(box, &release);
}

void click(TextBox *box, QPoint at)
{
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, box->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->viewport(), &e);
    }
}

// One case in this process: prints "name value" lines for the parent to read.
int runCase(const QString &path, int reps, bool typing)
{
    const qint64 fileSize = QFileInfo(path).size();
    bench::Editor editor;
    Form1 *form = editor.form;
    TextBox *box = form->Text1;
    form->resize(800, 600);
    bench::runEvents(100);
    const double rssBefore = bench::rssMb();
    form->Saved = true;
    editor.dialogs.chooseFile(path);
    QElapsedTimer t;
    t.start();
    const double cpu0 = cpuMs();
    form->mnufileopen->trigger();
    settle(box);
    std::printf("open %.3f\nopenwall %.3f\n", cpuMs() - cpu0, bench::ms(t));
    if (box->byteLength() != fileSize)
        return 1;
    const auto put = [&](const char *name, const Timings &timings) {
        std::printf("%s %.3f %.3f\n", name, bench::median(timings.ms),
                    *std::max_element(timings.ms.begin(), timings.ms.end()));
    };
    const auto repeat = [&](const char *name, const std::function<void(int)> &f,
                            const std::function<void()> &before = {}) {
        Timings timings;
        for (int i = 0; i < reps; ++i) {
            if (before) {
                before();
                settle(box);
            }
            timings.add([&] { f(i); }, box);
        }
        put(name, timings);
        std::fflush(stdout);
    };
    // At the end of the text (of the long line, or of the last short line).
    box->selectBytes(box->byteLength(), box->byteLength());
    settle(box);
    if (typing) {
        repeat("type", [&](int) { key(box, Qt::Key_X, QStringLiteral("x")); });
        repeat("backspace", [&](int) { key(box, Qt::Key_Backspace); });
    }
    repeat("home", [&](int) { key(box, Qt::Key_Home); }, [&] { key(box, Qt::Key_End); });
    repeat("end", [&](int) { key(box, Qt::Key_End); }, [&] { key(box, Qt::Key_Home); });
    // The middle of the caret's line, the file's line (not a row of it).
    // Read through the box's window on its text: its whole bytes would be a copy when it has rows.
    const qint64 n = box->byteLength(), tailFrom = qMax<qint64>(0, n - 4096);
    const QByteArray tail = box->bytesAt(box->toDisplay(tailFrom, true), box->toDisplay(n));
    const qsizetype lastLine = tail.lastIndexOf('\n', tail.size() - 2);
    qint64 middle = ((lastLine < 0 ? 0 : tailFrom + lastLine + 1) + n) / 2;
    const auto byteAt = [&](qint64 at) {
        return uchar(box->bytesAt(box->toDisplay(at, true), box->toDisplay(at + 1))[0]);
    };
    while ((byteAt(middle) & 0xC0) == 0x80)
        --middle;
    box->selectBytes(middle, middle);
    settle(box);
    // Typing inside the line, where it changes the runs of styles around it.
    if (typing)
        repeat("typemiddle", [&](int) { key(box, Qt::Key_X, QStringLiteral("x")); });
    repeat("right", [&](int) { key(box, Qt::Key_Right); });
    // What a screen reader asks after each caret move: where the caret is, in UTF-16 units.
    qint64 reported = 0;
    repeat("position", [&](int) { reported += box->SelStart(); });
    if (reported <= 0)
        return 1;
    repeat("hpage", [&](int i) {
        box->horizontalScrollBar()->triggerAction(i % 4 == 3 ? QScrollBar::SliderPageStepSub
                                                             : QScrollBar::SliderPageStepAdd);
    });
    const int y = int(sci(box, Sci::SCI_POINTYFROMPOSITION, 0, sci(box, Sci::SCI_GETCURRENTPOS)));
    repeat("click", [&](int i) { click(box, QPoint(20 + (i * 37) % (box->viewport()->width() - 40), y + 4)); });

    FindDialog *find = editor.windows.showFind();
    find->Text1->setPlainText(QString::fromLatin1(Needle));
    find->Check1->setChecked(true);
    Timings finds;
    for (int i = 0; i < qMax(3, reps / 4); ++i) {
        box->selectBytes(0, 0);
        settle(box);
        finds.add([&] { find->Command1_Click(); }, box);
        if (box->selectedBytes() != Needle)
            return 1;
    }
    put("find", finds);
    // Its two halves: the search alone, and the hit shown.
    Timings searches, shows;
    for (int i = 0; i < qMax(3, reps / 4); ++i) {
        box->selectBytes(0, 0);
        settle(box);
        textsearch::Match hit;
        searches.add([&] { hit = box->finder(Needle, textsearch::Compare::Binary)(); }, box);
        shows.add([&] { box->selectBytes(hit.start, hit.end); }, box);
    }
    put("search", searches);
    put("show", shows);
    std::printf("growth %.3f\nfilemb %.6f\n", bench::peakRssMb() - rssBefore, fileSize / (1024.0 * 1024.0));
    return 0;
}

using Results = std::map<QString, std::pair<double, double>>;

Results runChild(const QString &self, const QString &path, int reps, bool typing)
{
    QProcess child;
    QStringList args{QStringLiteral("--case"), path, QStringLiteral("--reps"), QString::number(reps)};
    if (!typing)
        args << QStringLiteral("--moves");
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(self, args);
    child.waitForFinished(-1);
    Results r;
    for (const QByteArray &l : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = l.split(' ');
        if (f.size() >= 2)
            r[QString::fromLatin1(f[0])] = {f[1].toDouble(), f.size() > 2 ? f[2].toDouble() : f[1].toDouble()};
    }
    if (child.exitCode() != 0)
        r[QStringLiteral("failed")] = {1, 1};
    return r;
}

// Each figure from the round where its median was lowest.
void keepBest(Results &best, const Results &round)
{
    for (const auto &[name, value] : round) {
        const auto it = best.find(name);
        if (it == best.end() || value.first < it->second.first)
            best[name] = value;
    }
}

// `control`: the same steps on a text of a few kilobytes, whose memory is the program's, not the file's.
void printCase(const QString &title, const Results &one, const Results &split, const char *splitName,
               const Results &control)
{
    std::printf("\n%s%s\n", qPrintable(title), one.count(QStringLiteral("failed")) ? "  FAILED" : "");
    std::printf("%-14s %12s %12s %12s %12s %9s %9s\n", "", "median", "worst", splitName, "worst",
                "x median", "x worst");
    for (const char *name :
         {"open", "openwall", "type", "typemiddle", "backspace", "right", "position", "end", "home", "hpage",
          "click", "find", "search", "show"}) {
        const auto a = one.find(QLatin1String(name)), b = split.find(QLatin1String(name));
        if (a == one.end() || b == split.end())
            continue;
        std::printf("%-14s %12.3f %12.3f %12.3f %12.3f %9.2f %9.2f\n", name, a->second.first, a->second.second,
                    b->second.first, b->second.second, a->second.first / qMax(1e-3, b->second.first),
                    a->second.second / qMax(1e-3, b->second.second));
    }
    // Peak memory growth over each file's own size, and again less what the same steps take on a small file.
    const QString growth = QStringLiteral("growth"), fileMb = QStringLiteral("filemb");
    const auto perFile = [&](const Results &r, double less) {
        return (r.at(growth).first - less) / r.at(fileMb).first;
    };
    if (one.count(growth) && split.count(growth)) {
        const double fixed = control.count(growth) ? control.at(growth).first : 0;
        std::printf("%-14s %12.2f %12s %12.2f   (peak RSS growth / file size)\n", "memory", perFile(one, 0), "",
                    perFile(split, 0));
        std::printf("%-14s %12.2f %12s %12.2f   (the same, less %.2f MB that a 4 kB file takes)\n", "file memory",
                    perFile(one, fixed), "", perFile(split, fixed), fixed);
    }
    std::fflush(stdout);
}
}

int main(int argc, char **argv)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &message) {
        if (!message.startsWith(QLatin1String("This plugin does not support"))
            && !message.startsWith(QLatin1String("QStandardPaths")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    int reps = 20, rounds = 5;   // an open is one figure per round, and single opens here vary by half
    if (const qsizetype r = args.indexOf(QStringLiteral("--reps")); r >= 0 && r + 1 < args.size()) {
        reps = qMax(1, args[r + 1].toInt());
        args.remove(r, 2);
    }
    if (const qsizetype r = args.indexOf(QStringLiteral("--rounds")); r >= 0 && r + 1 < args.size()) {
        rounds = qMax(1, args[r + 1].toInt());
        args.remove(r, 2);
    }
    if (const qsizetype c = args.indexOf(QStringLiteral("--case")); c >= 0 && c + 1 < args.size())
        return runCase(args[c + 1], reps, !args.contains(QStringLiteral("--moves")));
    QStringList kinds{QStringLiteral("words"), QStringLiteral("json"), QStringLiteral("base64"), QStringLiteral("cjk")};
    if (const qsizetype k = args.indexOf(QStringLiteral("--kinds")); k >= 0 && k + 1 < args.size()) {
        kinds = args[k + 1].split(QLatin1Char(','));
        args.remove(k, 2);
    }
    const bool typing = args.removeAll(QStringLiteral("--moves")) == 0;
    QList<int> sizes;
    for (const QString &a : args)
        sizes << a.toInt();
    if (sizes.isEmpty())
        sizes = {1, 5};

    QTemporaryDir dir;
    std::printf("One long line of real text beside the same bytes in 80-character lines; %d repetitions.\n"
                "CPU ms of the process (open until idle also by the wall clock), ratios long / other;\n"
                "the best of %d rounds.\n"
                "Targets: open <= 1.5x, each key <= 16 ms to the repaint, Find <= 1.2x, memory <= 2x the file.\n",
                reps, rounds);
    for (int mb : sizes) {
        for (const QString &kind : kinds) {
            const QByteArray text = realText(kind, qint64(mb) * 1000 * 1000);
            const QString one = dir.filePath(QStringLiteral("one.txt"));
            const QString split = dir.filePath(QStringLiteral("split.txt"));
            for (const auto &[path, bytes] : {std::pair(one, text), std::pair(split, split80(text))}) {
                QFile out(path);
                if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                    return 1;
            }
            const QString small = dir.filePath(QStringLiteral("small.txt"));
            if (QFile out(small); !out.open(QIODevice::WriteOnly) || out.write(realText(kind, 4000)) != 4000)
                return 1;
            Results a, b, c;
            for (int round = 0; round < rounds; ++round) {
                keepBest(a, runChild(app.applicationFilePath(), one, reps, typing));
                keepBest(b, runChild(app.applicationFilePath(), split, reps, typing));
                keepBest(c, runChild(app.applicationFilePath(), small, reps, typing));
            }
            printCase(QStringLiteral("%1 MB of %2 on one line").arg(mb).arg(kind), a, b, "80-column", c);
        }
    }
    return 0;
}
