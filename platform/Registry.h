// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry (read only) in which the System Information tool is found,
// shaped like the three functions that open a key, query one of its values
// and close it again. Failures are the functions' status codes.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

using RegKey = quintptr;
constexpr RegKey HKEY_LOCAL_MACHINE_KEY = 0x80000002;
constexpr long RegSuccess = 0;
constexpr long RegFileNotFound = 2;
constexpr long RegMoreData = 234;
constexpr quint32 RegSz = 1;
constexpr quint32 RegDword = 4;

class Registry
{
public:
    virtual ~Registry() = default;
    // Opens `subKey` (ANSI) under `root`; on success *result holds the key.
    virtual long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) = 0;
    // Reads the value `valueName` (ANSI) into `data`, whose capacity is *size on
    // entry; sets *type and *size (the bytes written). A value larger than the
    // capacity gives RegMoreData with *size set to the size it needs.
    virtual long queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size) = 0;
    virtual long closeKey(RegKey key) = 0;
};

// Platforms without a registry: every key is missing.
class NoRegistry : public Registry
{
public:
    long openKey(RegKey, const QByteArray &, quint32, RegKey *) override { return RegFileNotFound; }
    long queryValue(RegKey, const QByteArray &, quint32 *, unsigned char *, quint32 *) override { return RegFileNotFound; }
    long closeKey(RegKey) override { return RegSuccess; }
};

// Where there is no registry: a stand-in that knows the System Information tool's
// key alone, and answers it with the desktop's own system-information program
// where one is installed; without one, every key is missing.
class DesktopRegistry : public Registry
{
public:
    // `find` gives a program's whole path from its name, empty when it is not installed.
    using Finder = std::function<QString(const QString &name)>;
    explicit DesktopRegistry(Finder find = {});
    // The programs looked for, in order.
    static QStringList programs();

    long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) override;
    long queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size) override;
    long closeKey(RegKey key) override;

private:
    Finder m_find;
    QByteArray m_path;   // of the open key, with its terminating zero
};

// The registry of this platform: the real one on Windows, the stand-in elsewhere.
#ifdef _WIN32
class SystemRegistry : public Registry
{
public:
    long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) override;
    long queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size) override;
    long closeKey(RegKey key) override;
};
#else
using SystemRegistry = DesktopRegistry;
#endif
