// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SavePolicy.h"
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace textfile {

namespace {
const char AccessAcl[] = "system.posix_acl_access";

// The attribute names of a file, each ending in a NUL; empty where the filesystem has none.
QByteArray attributeNames(int fd, const QByteArray &path)
{
    for (;;) {
        const ssize_t size = fd >= 0 ? ::flistxattr(fd, nullptr, 0) : ::listxattr(path.constData(), nullptr, 0);
        if (size <= 0)
            return {};
        QByteArray names(size, '\0');
        const ssize_t got = fd >= 0 ? ::flistxattr(fd, names.data(), size_t(size))
                                    : ::listxattr(path.constData(), names.data(), size_t(size));
        if (got >= 0)
            return names.left(got);
        if (errno != ERANGE)   // ERANGE: one was added meanwhile
            return {};
    }
}

QList<QByteArray> split(const QByteArray &names)
{
    QList<QByteArray> list = names.split('\0');
    list.removeAll(QByteArray());
    return list;
}

bool inGroup(gid_t gid)
{
    if (gid == ::getegid())
        return true;
    std::vector<gid_t> groups(size_t(qMax(0, ::getgroups(0, nullptr))));
    const int n = ::getgroups(int(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + qMax(0, n), gid) != groups.begin() + qMax(0, n);
}

// Root may set any owner; others only themselves and a group of theirs.
bool canKeepOwner(const struct stat &st)
{
    return ::geteuid() == 0 || (st.st_uid == ::geteuid() && inGroup(st.st_gid));
}

// The file's owner may set user attributes and ACLs; the rest (trusted.*, security.*) needs root.
bool canCopyAttributes(const QByteArray &path)
{
    if (::geteuid() == 0)
        return true;
    for (const QByteArray &name : split(attributeNames(-1, path)))
        if (!name.startsWith("user.") && !name.startsWith("system.posix_acl_"))
            return false;
    return true;
}
}

SaveDecision decideSave(const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QByteArray file = QFile::encodeName(target);
    struct stat st;
    if (target.isEmpty() || ::stat(file.constData(), &st) != 0)
        return {SavePath::Replace, SaveReason::NewFile};
    const QByteArray folder = QFile::encodeName(QFileInfo(target).absolutePath());
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0)
        return {SavePath::InPlace, SaveReason::FolderNotWritable};
    if (st.st_nlink > 1)
        return {SavePath::InPlace, SaveReason::HardLinks};
    if (!canKeepOwner(st))
        return {SavePath::InPlace, SaveReason::ForeignOwner};
    if (!canCopyAttributes(file))
        return {SavePath::InPlace, SaveReason::AttributesNotCopyable};
    return {SavePath::Replace, SaveReason::Replaceable};
}

bool copyAttributes(int from, int to)
{
    const QList<QByteArray> names = split(attributeNames(from, {}));
    for (const QByteArray &name : names) {
        QByteArray value;
        ssize_t size = 0;
        do {
            size = ::fgetxattr(from, name.constData(), nullptr, 0);
            if (size < 0)
                return false;
            value.resize(size);
            size = ::fgetxattr(from, name.constData(), value.data(), size_t(value.size()));
        } while (size < 0 && errno == ERANGE);
        if (size < 0 || ::fsetxattr(to, name.constData(), value.constData(), size_t(size), 0) != 0)
            return false;
    }
    // A default ACL of the folder gave the new file one the old file never had.
    if (!names.contains(AccessAcl) && ::fremovexattr(to, AccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP)
        return false;
    return true;
}

}
