#include "support/Fakes.h"
#include <QTest>

std::optional<QString> FakeClipboard::text() const
{
    ++reads;
    switch (m_holds) {
    case Holds::Text: return content;
    case Holds::Unreadable: return std::nullopt;
    case Holds::Nothing:
    case Holds::ImageOnly: break;
    }
    return QString();
}

void FakeClipboard::setText(const QString &t)
{
    ++writes;
    putText(t);
}

bool FakeLauncher::start(const QString &commandLine)
{
    attempts << commandLine;
    if (startFails || !ordinaryFiles.contains(commandLine))
        return false;
    started << commandLine;
    return true;
}

TestServices::TestServices()
{
    windows.onExit = [this] { ++exits; };
    failOnUnexpectedDialogs();
}

void TestServices::failOnUnexpectedDialogs()
{
    dialogs.onUnexpected = [](const QString &message) { QTest::qFail(qPrintable(message), __FILE__, __LINE__); };
}
