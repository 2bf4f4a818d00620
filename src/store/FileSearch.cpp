#include "store/FileSearch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

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

// Matches a file name against the wildcard pattern, case ignored. "*.ext", the pattern of
// every search Kinora makes, is a plain suffix test; anything else goes through a regular
// expression.
class NameMatcher
{
public:
    explicit NameMatcher(const QString& pattern)
    {
        const QString rest = pattern.mid(1);
        if (pattern.startsWith(u'*') && !rest.contains(u'*') && !rest.contains(u'?') &&
            !rest.contains(u'['))
            m_suffix = rest;
        else
            m_re = QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                      QRegularExpression::CaseInsensitiveOption);
    }
    bool matches(const QString& name) const
    {
        if (!m_re.pattern().isEmpty())
            return m_re.match(name).hasMatch();
        return name.endsWith(m_suffix, Qt::CaseInsensitive);
    }

private:
    QString m_suffix;
    QRegularExpression m_re;
};

#ifdef Q_OS_UNIX
// One pass over the folder with readdir: the entry type comes with the name, so only links
// and file systems that do not report types cost an extra stat.
Listing listFolder(const QString& folder, const NameMatcher& matcher)
{
    Listing listing;
    const QByteArray path = QFile::encodeName(folder);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return listing;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue; // hidden, and "." and ".."
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN || type == DT_LNK) {
            struct stat st;
            const QByteArray full = path + '/' + entry->d_name;
            const bool isLink = type == DT_LNK;
            if (::stat(full.constData(), &st) != 0)
                continue; // a dangling link
            if (S_ISDIR(st.st_mode))
                type = isLink ? DT_LNK : DT_DIR; // a link to a folder may lead back up the tree
            else if (S_ISREG(st.st_mode))
                type = DT_REG;
            else
                continue;
        }
        if (type == DT_DIR) {
            listing.folders.append(QFile::decodeName(entry->d_name));
        } else if (type == DT_REG) {
            QString name = QFile::decodeName(entry->d_name);
            if (matcher.matches(name))
                listing.files.append(std::move(name));
        }
    }
    ::closedir(dir);
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.folders.begin(), listing.folders.end(), nameLess);
    return listing;
}
#else
Listing listFolder(const QString& folder, const NameMatcher& matcher)
{
    Listing listing;
    // No QDir::Hidden: hidden files and folders are left out. No System: devices and such.
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            if (!info.isSymLink()) // a link to a folder may lead back up the tree
                listing.folders.append(info.fileName());
        } else if (matcher.matches(info.fileName())) {
            listing.files.append(info.fileName());
        }
    }
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.folders.begin(), listing.folders.end(), nameLess);
    return listing;
}
#endif

void search(const QString& folder, const NameMatcher& pattern, bool recurse,
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
    search(folder, NameMatcher(pattern), recurse, status, out);
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
