// SPDX-License-Identifier: GPL-3.0-or-later
// The journal of unsaved edits: what the box did replays from it, a torn or
// damaged one replays a clean prefix, its modes and sync cadence, and the offer
// to bring it back at start.
#include "editor/DocumentJournal.h"
#include "editor/Recovery.h"
#include "text/KeptCopy.h"
#include "support/EditorFixture.h"
#include "support/TestMain.h"
#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
int mode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}
QStringList journals(const QString &dir) { return QDir(dir).entryList(QDir::Files, QDir::Name); }
}
struct Offer { QString kind; MsgAnswer answer; QString text; int left; };
Q_DECLARE_METATYPE(Offer)

class TestJournal : public QObject
{
    Q_OBJECT
    EditorFixture f;
    std::unique_ptr<QTemporaryDir> dir;

private Q_SLOTS:
    void init()
    {
        QVERIFY(f.start());
        dir = std::make_unique<QTemporaryDir>();
        f.form->journal().setFolder(dir->path());
    }
    void cleanup() { f.finish(); }

    // Random edits on random texts (CR LF pairs joined and split, noncharacters, keys and
    // replacements): the journal replays to the box's bytes, and cut or damaged at any byte it
    // replays a prefix of the edits.
    void replaysWhatTheBoxDid()
    {
        static const QByteArray pieces[] = {"a", "\r", "\n", "\r\n", "\xC3\xA9", "\xEF\xB7\x90", "\xEF\xBF\xBF", "xyz"};
        QRandomGenerator rng(20);
        const auto piece = [&] { return pieces[rng.bounded(int(std::size(pieces)))]; };
        for (int round = 0; round < 12; ++round) {
            QByteArray base;
            for (int i = rng.bounded(30); i > 0; --i)
                base += piece();
            f.form->Text1->loadBytes(base);
            for (int i = 0; i < 25; ++i) {
                const qint64 length = f.form->Text1->byteLength();
                const qint64 from = rng.bounded(length + 1);
                const qint64 to = from + rng.bounded(qMin<qint64>(3, length - from) + 1);
                if (rng.bounded(3) == 0) {
                    f.form->Text1->selectBytes(from, from);
                    QTest::keyClick(f.form->Text1, rng.bounded(2) ? Qt::Key_Backspace : Qt::Key_Return);
                } else {
                    f.form->Text1->replaceBytes(from, to, rng.bounded(2) ? piece() : QByteArray());
                }
            }
            const QByteArray raw = f.contents(f.form->journal().writer().path());
            const journal::Contents whole = journal::decode(raw);
            QByteArray replayed = base;
            QCOMPARE(journal::replay(replayed, whole.edits), whole.edits.size());
            QCOMPARE(replayed, f.form->Text1->bytes().toByteArray());
            for (qsizetype at = 0; at < raw.size(); ++at) {
                QByteArray damaged = raw;
                damaged[at] = char(damaged[at] ^ (1 << rng.bounded(8)));
                const journal::Contents cut = journal::decode(raw.first(at)), bad = journal::decode(damaged);
                QVERIFY2(bad.torn && cut.edits.size() <= whole.edits.size(), qPrintable(QString::number(at)));
                for (const journal::Contents &c : {cut, bad})
                    QVERIFY(whole.edits.first(c.edits.size()) == c.edits && (!c.header || c.header == whole.header));
            }
        }
        // Positions past 4 GiB come back whole, under a header of the last kinds it holds (GB18030 with a mark, CR).
        const journal::Edit far{(qint64(1) << 40) + 7, (qint64(1) << 33) + 1, "q"};
        const journal::Header last{{}, {}, {textfile::Encoding::Kind::Named, true, "GB18030"}, LineEnd::Cr};
        const QByteArray raw = journal::encodeHeader(last) + journal::encodeEdit(far.at, far.removed, far.inserted);
        QCOMPARE(journal::decode(raw).edits, QList<journal::Edit>{far});
    }

    // Nobody else reads the unsaved text, whatever the umask; a folder of another user's, or a link
    // (planted to lead it elsewhere), is refused.
    void modesAreTheUsersOnly()
    {
        const mode_t old = ::umask(0);
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir->path() + "/state"));
        QDir().mkpath(dir->path() + "/state/zendral");   // 0777 under this umask: made private below
        const QString folder = journal::folder();
        journal::Writer w;
        QVERIFY(w.open(folder, {}));
        ::umask(old);
        QCOMPARE(std::tuple(mode(folder), mode(w.path())), std::tuple(0700, 0600));
        const QByteArray top = QFile::encodeName(dir->path()), link = top + "/link", foreign = top + "/f";
        QVERIFY(::symlink(QFile::encodeName(folder), link) == 0 && ::mkdir(foreign, 0700) == 0);
        const bool root = ::chown(foreign, 65534, 65534) == 0;   // only root can give a folder away
        QVERIFY(journal::privateFolder(QFile::decodeName(link)).isEmpty()
                && (!root || journal::privateFolder(QFile::decodeName(foreign)).isEmpty()));
    }

    // Synced within 2 s of the first edit not yet synced, and never per key.
    void syncsWithinTwoSeconds()
    {
        qint64 now = 0;
        journal::Writer w([&now] { return now; });
        QVERIFY(w.open(dir->path(), {}));
        for (now = 0; now < 10000; now += 100) {
            QVERIFY(w.append(now, 0, "k"));
            w.syncIfDue();
        }
        QCOMPARE(w.syncCount(), 4);   // at 2000, 4100, 6200, 8300
        for (now = 10399; now <= 10400; ++now)
            w.syncIfDue();
        QCOMPARE(std::tuple(w.syncCount(), w.syncDueIn()), std::tuple(5, qint64(-1)));
    }

    // A window closed with its text given up leaves no journal to offer at the next start.
    void closedWindowLeavesNoJournal()
    {
        f.type(QStringLiteral("x"));
        QCOMPARE(journals(dir->path()).size(), 1);
        f.t->dialogs.answer(MsgAnswer::No);
        f.form->close();
        QCOMPARE(journals(dir->path()).size(), 0);
    }

    void offersWhatWasLeft_data()
    {
        // Ok: nothing is asked. Afterwards: the box's text (untitled), the files left in the folder.
        QTest::addColumn<Offer>("o");
        QTest::newRow("declined") << Offer{"named", MsgAnswer::No, "", 1};
        QTest::newRow("untitled") << Offer{"untitled", MsgAnswer::Yes, "hi", 2};
        QTest::newRow("held by a live process") << Offer{"held", MsgAnswer::Ok, "", 2};
        QTest::newRow("edits undone: deleted unasked") << Offer{"undone", MsgAnswer::Ok, "", 1};
        QTest::newRow("file unreadable now: kept for a later start") << Offer{"unreadable", MsgAnswer::Ok, "", 2};
    }
    void offersWhatWasLeft()
    {
        QFETCH(Offer, o);
        const auto &[kind, answer, text, left] = o;
        const QString doc = dir->path() + "/doc.txt";
        const journal::Header h{kind == "untitled" ? "" : doc, textfile::write(doc, QByteArrayView("one two")).stamp};
        const QList<journal::Edit> two{{4, 3, "TWO"}};
        const QHash<QString, QList<journal::Edit>> edits{{"untitled", {{0, 0, "hi"}}},
                                                         {"undone", {{0, 0, "x"}, {0, 1, ""}}}};   // the rest: two
        auto w = std::make_unique<journal::Writer>();
        QVERIFY(w->open(dir->path(), h));
        for (const journal::Edit &e : edits.value(kind, two))
            QVERIFY(w->append(e.at, e.removed, e.inserted));
        const QString path = w->path();
        if (kind != "held")
            w.reset();
        const QStringList shown = answer == MsgAnswer::Ok
            ? QStringList() : QStringList{recoverytext::offer(h.path, QFileInfo(path).lastModified(), false)};
        if (!shown.isEmpty() || kind == "unreadable")   // too little memory to read it now: reported, nothing offered
            f.t->dialogs.answer(answer), f.t->memory.free = kind == "unreadable" ? 0 : -2;
        QCOMPARE(f.form->offerRecovery(), answer == MsgAnswer::Yes);
        QCOMPARE(std::tuple(f.form->Text1->Text(), f.form->cdb->FileName(), f.form->Saved),
                 std::tuple(text, QString(), text.isEmpty()));
        QCOMPARE(std::tuple(journals(dir->path()).size(), f.t->dialogs.messages().mid(kind == "unreadable")),
                 std::tuple(left, shown));
        if (answer == MsgAnswer::Yes)   // saved (once Save follows the text), the recovered text needs no journal
            f.settle(), f.t->dialogs.chooseFile(doc), f.form->mnufilesave->trigger();
        QCOMPARE(journals(dir->path()).size(), answer == MsgAnswer::Yes ? 1 : left);
    }

    // Killed half-way through a save in place of a big file: the next start puts the old text back
    // whole (or keeps it aside, as answered or where the file is another now), and the journal then
    // brings back the typed text on exactly the text it was typed on.
    void aSaveInPlaceCutShortIsUndoneFirst_data()
    {
        QTest::addColumn<QString>("kind");   // put back, kept aside, file replaced since, put back by hand
        for (const char *kind : {"Yes", "No", "replaced", "unchanged"})
            QTest::newRow(kind) << QString(kind);
    }
    void aSaveInPlaceCutShortIsUndoneFirst()
    {
        QFETCH(QString, kind);
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir->path() + "/state"));
        const QString state = journal::folder(), doc = dir->path() + "/doc.txt";
        f.form->journal().setFolder(state);
        QByteArray old;
        for (int i = 0; i < 700000; ++i)
            old += QByteArray::number(i).rightJustified(16, '0') + '\n';
        // A second name makes the save write in place.
        QVERIFY(textfile::write(doc, old).ok && ::link(QFile::encodeName(doc), QFile::encodeName(doc + "2")) == 0);
        auto w = std::make_unique<journal::Writer>();
        QVERIFY(w->open(state, {doc, textfile::stampOf(doc)}) && w->append(0, 0, "typed "));
        const QString left = w->path();
        w.reset();
        const pid_t saver = fork();
        if (saver == 0) {   // stops itself half-way through the new bytes, to be killed there
            const auto half = [&](qint64 done, qint64) { if (done > old.size() * 3 / 2) ::raise(SIGSTOP); };
            _exit(textfile::write(doc, "typed " + old, textfile::Encoding::Utf8, half).ok ? 0 : 1);
        }
        int status = 0;
        QVERIFY(saver > 0 && ::waitpid(saver, &status, WUNTRACED) == saver && WIFSTOPPED(status));
        QVERIFY(textfile::InterruptedSave::find(state).empty());   // held while the save goes on
        QVERIFY(::kill(saver, SIGKILL) == 0 && ::waitpid(saver, &status, 0) == saver);
        const QString copy = state + "/" + QDir(state).entryList({"*.before-save"}).value(0);
        const QByteArray torn = f.contents(doc);
        if (kind == "replaced")
            QVERIFY(::unlink(QFile::encodeName(doc)) == 0 && textfile::write(doc, torn).ok);
        if (kind == "unchanged")
            QVERIFY(textfile::write(doc + "2", old).ok);
        const QStringList asked{recoverytext::saveInterrupted(doc, copy), recoverytext::saveElsewhere(doc, copy)};
        QStringList shown = kind == "unchanged" ? QStringList() : QStringList{asked.at(kind == "replaced")};
        shown << recoverytext::offer(doc, QFileInfo(left).lastModified(), kind != "Yes");
        if (kind != "unchanged")
            f.t->dialogs.answer(kind == "No" ? MsgAnswer::No : kind == "Yes" ? MsgAnswer::Yes : MsgAnswer::Ok);
        f.t->dialogs.answer(MsgAnswer::Yes);
        QVERIFY(f.form->offerRecovery() && f.form->Text1->bytes() == "typed " + old);
        QCOMPARE(std::tuple(f.form->cdb->FileName(), f.t->dialogs.messages()),
                 std::tuple(kind == "Yes" ? doc : QString(), shown));
        QVERIFY(f.contents(doc) == (kind == "Yes" || kind == "unchanged" ? old : torn));
        // The copy stays, but where the file holds it again; it is offered no more.
        QCOMPARE(QDir(state).entryList({"*.before-save*"}).size(), int(kind == "No" || kind == "replaced"));
    }
};

ZENDRAL_TEST_MAIN(TestJournal)
#include "tst_journal.moc"
