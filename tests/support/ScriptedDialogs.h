// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test backend for message boxes and common dialogs: pops queued answers,
// records exactly what was shown, and reports any call it was not told to expect.
#include "platform/Dialogs.h"
#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <variant>

class ScriptedDialogs : public MessageBoxes, public DialogBackend
{
public:
    enum class Kind { Message, Open, Save, Font, Color };

    struct Shown {
        Kind kind;
        QString text;            // message text
        MsgButtons buttons = MsgButtons::Ok;
        QString title;
        FileRequest file;        // Open and Save
        FontChoice font;         // the font the font dialog started from
        int flags = 0;
    };

    // Queue the answer to the next dialog.
    void answer(MsgAnswer a) { m_queue.push_back(a); }
    void chooseFile(const QString &path) { m_queue.push_back(FileAnswer{path}); }
    void cancelFile() { m_queue.push_back(FileAnswer{}); }
    void chooseFont(const FontChoice &f) { m_queue.push_back(FontAnswer{f}); }
    void cancelFont() { m_queue.push_back(FontAnswer{}); }
    void chooseColor(quint32 c) { m_queue.push_back(ColorAnswer{c}); }
    void cancelColor() { m_queue.push_back(ColorAnswer{}); }

    const QList<Shown> &shown() const { return m_shown; }
    QStringList messages() const;          // texts of the message boxes shown, in order
    int pending() const { return int(m_queue.size()); }
    const QStringList &failures() const { return m_failures; }
    void clear() { m_queue.clear(); m_shown.clear(); m_failures.clear(); }

    // Called on an unexpected dialog (tests make it fail the running test).
    std::function<void(const QString &)> onUnexpected;
    // Runs while each dialog is up, before it is answered, as a real dialog's event loop would.
    std::function<void(const Shown &)> whileShown;

    MsgAnswer show(QWidget *parent, const QString &text, MsgButtons buttons) override;
    std::optional<QString> fileDialog(QWidget *parent, const FileRequest &request) override;
    std::optional<FontChoice> fontDialog(QWidget *parent, const FontChoice &initial, int flags) override;
    std::optional<quint32> colorDialog(QWidget *parent, quint32 initial, int flags) override;

private:
    struct FileAnswer { std::optional<QString> path; };
    struct FontAnswer { std::optional<FontChoice> font; };
    struct ColorAnswer { std::optional<quint32> color; };
    using Answer = std::variant<MsgAnswer, FileAnswer, FontAnswer, ColorAnswer>;

    void record(const Shown &s) { m_shown << s; if (whileShown) whileShown(s); }
    template<class T> T take(const QString &what, T otherwise = {});   // the next answer, if it is a T
    void unexpected(const QString &what);

    std::deque<Answer> m_queue;
    QList<Shown> m_shown;
    QStringList m_failures;
};
