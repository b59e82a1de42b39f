// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How Save writes a file that exists, decided before a byte is written. Replacing it
// with a new file written beside it survives a full disk or a crash at any moment;
// but the new file is another file, which only looks like the old one when
// everything else about it can be put back. Where it cannot, the old file is
// written in place, with a copy of its old bytes kept until the write is over.
#include <QByteArray>
#include <QString>

namespace textfile {

enum class SavePath { Replace, InPlace };

enum class SaveReason {
    NewFile,                // nothing to keep: written through a temporary file
    Replaceable,            // the new file gets the old one's owner, mode and attributes
    FolderNotWritable,      // no new file can be made beside it, though the file may be writable
    HardLinks,              // its other names would keep the old text
    ForeignOwner,           // the new file would be ours, and only root may give it back
    AttributesNotCopyable,  // attributes that only root may set
    ReplaceFailed,          // the temporary file or the rename failed (network and FUSE folders)
};

struct SaveDecision {
    SavePath path = SavePath::Replace;
    SaveReason reason = SaveReason::NewFile;
    bool operator==(const SaveDecision &) const = default;
};

// For the file `path` names (symbolic links followed).
SaveDecision decideSave(const QString &path);

// Copies every extended attribute (ACLs among them) of `from` onto `to`, and drops an
// access ACL `to` inherited from its folder that `from` does not have. False with errno set.
bool copyAttributes(int from, int to);

}
