// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The system clipboard in plain-text format.
#include <QObject>
#include <QString>
#include <optional>

class Clipboard : public QObject
{
    Q_OBJECT
public:
    virtual bool hasText() const = 0;
    // nullopt when the clipboard cannot be read.
    virtual std::optional<QString> text() const = 0;
    virtual void setText(const QString &text) = 0;

Q_SIGNALS:
    // The clipboard's content changed, here or in another program.
    void changed();
};

class QtClipboard : public Clipboard
{
    Q_OBJECT
public:
    QtClipboard();
    bool hasText() const override;
    std::optional<QString> text() const override;
    void setText(const QString &text) override;
};
