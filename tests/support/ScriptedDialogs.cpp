// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ScriptedDialogs.h"
#include <QDebug>

QStringList ScriptedDialogs::messages() const
{
    QStringList texts;
    for (const Shown &s : m_shown)
        if (s.kind == Kind::Message)
            texts << s.text;
    return texts;
}

void ScriptedDialogs::unexpected(const QString &what)
{
    m_failures << QStringLiteral("unexpected dialog: %1").arg(what);
    qWarning().noquote() << m_failures.last();
    if (onUnexpected)
        onUnexpected(m_failures.last());
}

template<class T>
T ScriptedDialogs::take(const QString &what, T otherwise)
{
    if (m_queue.empty() || !std::holds_alternative<T>(m_queue.front()))
        return unexpected(what), otherwise;
    const T answer = std::get<T>(m_queue.front());
    m_queue.pop_front();
    return answer;
}

MsgAnswer ScriptedDialogs::show(QWidget *, const QString &text, MsgButtons buttons)
{
    record(Shown{Kind::Message, text, buttons, title(), {}, {}, 0});
    // Unscripted, the box answers as Esc would.
    const MsgAnswer escape = buttons == MsgButtons::Ok            ? MsgAnswer::Ok
                             : buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel
                                                                  : MsgAnswer::No;
    const MsgAnswer a = take(QStringLiteral("message \"%1\"").arg(text), escape);
    const bool offered = buttons == MsgButtons::Ok ? a == MsgAnswer::Ok
                         : a == MsgAnswer::Yes || a == MsgAnswer::No
                               || (buttons == MsgButtons::YesNoCancel && a == MsgAnswer::Cancel);
    if (!offered)
        unexpected(QStringLiteral("answer not offered by \"%1\"").arg(text));
    return offered ? a : escape;
}

std::optional<QString> ScriptedDialogs::fileDialog(QWidget *, const FileRequest &request)
{
    record(Shown{request.save ? Kind::Save : Kind::Open, {}, MsgButtons::Ok, {}, request, {}, request.flags});
    return take<FileAnswer>(request.save ? QStringLiteral("Save dialog") : QStringLiteral("Open dialog")).path;
}

std::optional<FontChoice> ScriptedDialogs::fontDialog(QWidget *, const FontChoice &initial, int flags)
{
    record(Shown{Kind::Font, {}, MsgButtons::Ok, {}, {}, initial, flags});
    return take<FontAnswer>(QStringLiteral("Font dialog")).font;
}

std::optional<quint32> ScriptedDialogs::colorDialog(QWidget *, quint32, int flags)
{
    record(Shown{Kind::Color, {}, MsgButtons::Ok, {}, {}, {}, flags});
    return take<ColorAnswer>(QStringLiteral("Color dialog")).color;
}
