#include "store/FileSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

namespace kinora {

namespace {

// Name order as a Windows folder lists it (case ignored); equal names in different case
// are ordered by their exact text so the order never depends on the file system.
bool nameLess(const QString& a, const QString& b)
{
    const int c = a.compare(b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

struct Listing
{
    QStringList files;
    QStringList folders;
};

Listing listFolder(const QString& folder, const QRegularExpression& pattern)
{
    Listing listing;
    // No QDir::Hidden: dot-files and dot-folders are left out. No System: sockets, devices.
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink()) // a link to a folder may lead back up the tree
                listing.folders.append(info.fileName());
        } else if (pattern.match(info.fileName()).hasMatch()) {
            listing.files.append(info.fileName());
        }
    }
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.folders.begin(), listing.folders.end(), nameLess);
    return listing;
}

void search(const QString& folder, const QRegularExpression& pattern, bool recurse,
            const StatusCallback& status, QStringList& out)
{
    const qsizetype start = out.size();
    const Listing listing = listFolder(folder, pattern);
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const QString& name : listing.files)
        out.append(prefix + name);
    if (!recurse)
        return;
    for (const QString& name : listing.folders) {
        search(prefix + name, pattern, recurse, status, out);
        if (status)
            status(QString::number(out.size() - start) + QStringLiteral(" Filme gefunden ..."));
    }
}

} // namespace

QStringList FindFiles(const QString& folder, const QString& pattern, int mask, bool recurse,
                      const StatusCallback& status)
{
    Q_UNUSED(mask); // 0, plain files only: the one mask Kinora passes
    QStringList out;
    if (folder.isEmpty())
        return out;
    const QRegularExpression re(QRegularExpression::wildcardToRegularExpression(pattern),
                                QRegularExpression::CaseInsensitiveOption);
    search(folder, re, recurse, status, out);
    return out;
}

int CountOccurrences(const QString& text, const QString& delimiter)
{
    if (delimiter.isEmpty())
        return 0;
    return int(text.count(delimiter));
}

QString ParentFolder(const QString& path)
{
    qsizetype cut = path.lastIndexOf(u'/');
#ifdef Q_OS_WIN
    cut = qMax(cut, path.lastIndexOf(u'\\'));
#endif
    return cut < 0 ? QString() : path.left(cut);
}

} // namespace kinora
