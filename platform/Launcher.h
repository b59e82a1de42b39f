// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Starts the System Information tool once the registry has named it.
#include <QString>

class ProgramLauncher
{
public:
    virtual ~ProgramLauncher() = default;
    // An ordinary file: not a folder, not hidden, not a system file.
    virtual bool isOrdinaryFile(const QString &path) const = 0;
    // Starts the program whose whole path is `commandLine`, without waiting for
    // it; false when it cannot be started.
    virtual bool start(const QString &commandLine) = 0;
};

class SystemLauncher : public ProgramLauncher
{
public:
    bool isOrdinaryFile(const QString &path) const override;
    bool start(const QString &commandLine) override;
};
