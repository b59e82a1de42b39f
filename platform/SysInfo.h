#pragma once
// The registry (read only) and the program launcher used to find and start
// the System Information tool. Shaped like the three registry functions.
#include <QByteArray>
#include <QString>

using RegKey = quintptr;
constexpr RegKey HKEY_LOCAL_MACHINE_KEY = 0x80000002;
constexpr long RegSuccess = 0;
constexpr long RegFileNotFound = 2;
constexpr quint32 RegSz = 1;
constexpr quint32 RegDword = 4;

class Registry
{
public:
    virtual ~Registry() = default;
    virtual long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) = 0;
    // Reads the value into `data` (capacity *size); sets *type and *size (bytes written).
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

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // An ordinary file: not a folder, not hidden, not a system file.
    virtual bool isOrdinaryFile(const QString &path) const = 0;
    // Starts the command line without waiting; false when it cannot be started.
    virtual bool start(const QString &commandLine) = 0;
};

// The registry of this platform: the real one on Windows, none elsewhere.
#ifdef _WIN32
class SystemRegistry : public Registry
{
public:
    long openKey(RegKey root, const QByteArray &subKey, quint32 accessMask, RegKey *result) override;
    long queryValue(RegKey key, const QByteArray &valueName, quint32 *type, unsigned char *data, quint32 *size) override;
    long closeKey(RegKey key) override;
};
#else
using SystemRegistry = NoRegistry;
#endif

class SystemLauncher : public ProgramLauncher
{
public:
    bool isOrdinaryFile(const QString &path) const override;
    bool start(const QString &commandLine) override;
};
