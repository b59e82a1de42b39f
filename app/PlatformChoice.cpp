// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PlatformChoice.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibraryInfo>
#include <QList>
#include <QPluginLoader>
#include <cstdio>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {
QString problemWith(const Displays &d, const QString &platform)
{
    if (!d.installed(platform))
        return platform.startsWith(QLatin1String("wayland"))
            ? QStringLiteral("the Qt platform plugin \"%1\" is not installed (package qt6-wayland)").arg(platform)
            : QStringLiteral("the Qt platform plugin \"%1\" is not installed").arg(platform);
    if (platform == QLatin1String("xcb")) {
        if (d.x11.isEmpty())
            return QStringLiteral("DISPLAY is not set");
        if (!d.xAnswers())
            return QStringLiteral("the X display %1 does not answer").arg(d.x11);
    }
    if (platform.startsWith(QLatin1String("wayland")) && !d.waylandAnswers())
        return QStringLiteral("the Wayland display %1 does not answer")
            .arg(d.wayland.isEmpty() ? QStringLiteral("wayland-0") : d.wayland);
    return {};
}

QStringList pluginFolders()
{
    QStringList folders;
    for (const QString &p : qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << p + QLatin1String("/platforms");
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM_PLUGIN_PATH"))
        folders << qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH");
    folders << QLibraryInfo::path(QLibraryInfo::PluginsPath) + QLatin1String("/platforms");
    return folders;
}

// Reads the plugins' keys without loading them.
bool pluginInstalled(const QString &platform)
{
    for (const QString &folder : pluginFolders()) {
        const QDir dir(folder);
        // A plugin's file name mostly carries its key: those first, each file read costs a millisecond.
        QStringList files = dir.entryList({QLatin1Char('*') + platform + QLatin1Char('*')}, QDir::Files);
        files += dir.entryList(QDir::Files);
        for (const QString &file : std::as_const(files)) {
            const QJsonArray keys = QPluginLoader(dir.filePath(file)).metaData().value(QLatin1String("MetaData"))
                                        .toObject().value(QLatin1String("Keys")).toArray();
            for (const auto &key : keys)
                if (key.toString().compare(platform, Qt::CaseInsensitive) == 0)
                    return true;
        }
    }
    return false;
}

// Open until Qt has its own connection: an X server whose last client leaves resets and refuses connections
// meanwhile (Xvfb, or a bare X session where this is the first program), so closing it at once lost the start.
xcb_connection_t *probe = nullptr;

bool xAnswers()
{
    if (probe)
        xcb_disconnect(probe);
    probe = xcb_connect(nullptr, nullptr);
    return !xcb_connection_has_error(probe);
}

// As the Wayland client library finds the compositor's socket.
bool waylandAnswers()
{
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return true;
    QString name = qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    if (!name.startsWith(QLatin1Char('/')))
        name = qEnvironmentVariable("XDG_RUNTIME_DIR") + QLatin1Char('/') + name;
    const QByteArray path = QFile::encodeName(name);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0)
        close(fd);
    return ok;
}
}

PlatformChoice choosePlatform(const Displays &d)
{
    if (!d.chosen.isEmpty()) {
        // Qt tries the user's list in order; the first entry that can start is the one it gets.
        QStringList problems;
        for (const QString &entry : d.chosen.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            problems << problemWith(d, entry.section(QLatin1Char(':'), 0, 0));
            if (problems.last().isEmpty())
                return {};
        }
        return {{}, problems.join(QLatin1String("; "))};
    }
    const QString x = problemWith(d, QStringLiteral("xcb"));
    if (x.isEmpty())
        return {"xcb", {}};
    if (!d.wayland.isEmpty()) {
        const QString wayland = problemWith(d, QStringLiteral("wayland"));
        if (wayland.isEmpty())
            return {"wayland", {}};
        return {{}, d.x11.isEmpty() ? wayland : x + QLatin1String("; ") + wayland};
    }
    if (d.x11.isEmpty())
        return {{}, QStringLiteral("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)")};
    return {{}, x};
}

Displays systemDisplays()
{
    return {qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("DISPLAY"),
            qEnvironmentVariable("WAYLAND_DISPLAY"), xAnswers, waylandAnswers, pluginInstalled};
}

namespace {
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QtMessageHandler previousHandler = nullptr;
QList<HeldMessage> held;
QByteArray guardedPlatform;

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "zendral: cannot open a window: the window system \"%s\" did not start\n",
                     guardedPlatform.constData());
        // What the window system said on the way, which names the cause.
        for (const HeldMessage &m : std::as_const(held))
            std::fprintf(stderr, "  %s\n", qPrintable(m.text));
        std::fprintf(stderr, "  %s\n", qPrintable(text));
        std::fflush(stderr);
        _exit(1);
    }
    // Copies: a plugin that failed to load may be gone, with its strings, by the time these are shown.
    held.append({type, context.file, context.function, context.category, context.line, text});
}
}

StartupGuard::StartupGuard(const QByteArray &platform)
{
    guardedPlatform = platform.isEmpty() ? qgetenv("QT_QPA_PLATFORM") : platform;
    if (guardedPlatform.isEmpty())
        guardedPlatform = "default";
    previousHandler = qInstallMessageHandler(holdMessage);
}

StartupGuard::~StartupGuard()
{
    if (probe) {
        xcb_disconnect(probe);
        probe = nullptr;
    }
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &m : std::as_const(held)) {
        const QMessageLogContext context(m.file.isNull() ? nullptr : m.file.constData(), m.line,
                                         m.function.isNull() ? nullptr : m.function.constData(),
                                         m.category.isNull() ? nullptr : m.category.constData());
        previousHandler(m.type, context, m.text);
    }
    held.clear();
}
