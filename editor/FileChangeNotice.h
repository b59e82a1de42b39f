// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Tells the user when another program has changed the document's file, and
// offers to read it again. The file is watched, and looked at again whenever the
// window becomes active: a watch is lost when the file is replaced, and network
// folders may never report one.
#include "text/TextFile.h"
#include <QFileSystemWatcher>
#include <QObject>
#include <functional>
#include <optional>

class MessageBoxes;
class QWidget;

class FileChangeNotice : public QObject
{
    Q_OBJECT
public:
    struct Document {
        std::function<bool()> unsaved;                   // changes the reload would throw away
        std::function<void(const QString &)> reload;    // reads the file as Open does
    };
    FileChangeNotice(QWidget *window, MessageBoxes &messages, Document document);

    // The document's file, as just read or written; an empty path when it has none.
    void follow(const QString &path, const std::optional<textfile::Stamp> &stamp);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void checkSoon();
    void check();

    QWidget *m_window;
    MessageBoxes &m_messages;
    Document m_document;
    QFileSystemWatcher m_watcher;
    QString m_path;
    std::optional<textfile::Stamp> m_known;
    std::optional<textfile::Stamp> m_declined;   // the change the user chose to keep the text over
    bool m_asking = false;
};
