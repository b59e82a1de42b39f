// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Clipboard.h"
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

QtClipboard::QtClipboard()
{
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &Clipboard::changed);
}

bool QtClipboard::hasText() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasText();
}

std::optional<QString> QtClipboard::text() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (!data)
        return std::nullopt;
    return data->text();
}

void QtClipboard::setText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
