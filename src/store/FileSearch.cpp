#include "store/FileSearch.h"

#include "store/SideFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
    QStringList sideFiles; // only when asked for, in plain order
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
// Adds one entry of a folder open as fd to the listing; only links and file systems that do
// not report entry types cost a stat.
void addEntry(int fd, const char* name, unsigned char type, const NameMatcher& matcher,
              bool sideFiles, Listing& listing)
{
    if (name[0] == '.')
        return; // hidden, and "." and ".."
    if (type == DT_UNKNOWN || type == DT_LNK) {
        struct stat st;
        const bool isLink = type == DT_LNK;
        if (::fstatat(fd, name, &st, 0) != 0)
            return; // a dangling link
        if (S_ISDIR(st.st_mode))
            type = isLink ? DT_LNK : DT_DIR; // a link to a folder may lead back up the tree
        else if (S_ISREG(st.st_mode))
            type = DT_REG;
        else
            return;
    }
    if (type == DT_DIR) {
        listing.folders.append(QFile::decodeName(name));
    } else if (type == DT_REG) {
        QString decoded = QFile::decodeName(name);
        if (matcher.matches(decoded))
            listing.files.append(std::move(decoded));
        else if (sideFiles && decoded.endsWith(kSideFileSuffix))
            listing.sideFiles.append(std::move(decoded));
    }
}

// The entries of the folder open as fd, in name order. On Linux the entries are read with
// getdents64 straight into a buffer: opendir() would spend two more system calls per folder
// on checking the descriptor, and the scan lists one folder per film.
Listing listOpenFolder(int fd, const NameMatcher& matcher, bool sideFiles = false)
{
    Listing listing;
#ifdef Q_OS_LINUX
    alignas(dirent64) char buffer[32768];
    ssize_t n = 0;
    while ((n = ::getdents64(fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t pos = 0; pos < n;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer + pos);
            addEntry(fd, entry->d_name, entry->d_type, matcher, sideFiles, listing);
            pos += entry->d_reclen;
        }
    }
#else
    const int own = ::dup(fd); // closedir() closes the descriptor it was given
    DIR* dir = own < 0 ? nullptr : ::fdopendir(own);
    if (!dir) {
        if (own >= 0)
            ::close(own);
        return listing;
    }
    while (const dirent* entry = ::readdir(dir))
        addEntry(fd, entry->d_name, entry->d_type, matcher, sideFiles, listing);
    ::closedir(dir);
#endif
    std::sort(listing.files.begin(), listing.files.end(), nameLess);
    std::sort(listing.folders.begin(), listing.folders.end(), nameLess);
    std::sort(listing.sideFiles.begin(), listing.sideFiles.end());
    return listing;
}

int openFolder(const QString& folder)
{
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

Listing listFolder(const QString& folder, const NameMatcher& matcher)
{
    const int fd = openFolder(folder);
    if (fd < 0)
        return {};
    Listing listing = listOpenFolder(fd, matcher);
    ::close(fd);
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

QString withSeparator(const QString& folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

void search(const QString& folder, const NameMatcher& pattern, bool recurse,
            const StatusCallback& status, QStringList& out)
{
    const qsizetype start = out.size();
    const Listing listing = listFolder(folder, pattern);
    const QString prefix = withSeparator(folder);
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

// How often the reading threads' progress is looked at while they work.
constexpr std::chrono::milliseconds kProgressInterval{250};

// Runs work(0) ... work(n - 1) on every core, at most four threads; returns when all ran.
// With a tick, the calling thread leaves the work to the others and calls tick every
// kProgressInterval until they are done, so that it can report progress.
void forEachInParallel(qsizetype n, const std::function<void(qsizetype)>& work,
                       const std::function<void()>& tick = {})
{
    std::atomic<qsizetype> next{0};
    std::mutex mutex;
    std::condition_variable allDone;
    qsizetype running = 0;
    auto run = [&] {
        for (qsizetype i = next++; i < n; i = next++)
            work(i);
        const std::lock_guard lock(mutex);
        --running;
        allDone.notify_one();
    };
    const qsizetype threads =
        qMin<qsizetype>(n, qBound(1U, std::thread::hardware_concurrency(), 4U));
    std::vector<std::thread> helpers;
    for (qsizetype t = tick ? 0 : 1; t < threads; ++t) {
        try {
            {
                const std::lock_guard lock(mutex);
                ++running;
            }
            helpers.emplace_back(run);
        } catch (const std::system_error&) {
            const std::lock_guard lock(mutex);
            --running;
            break; // no thread to be had: the ones running do the work
        }
    }
    if (tick && !helpers.empty()) {
        std::unique_lock lock(mutex);
        while (!allDone.wait_for(lock, kProgressInterval, [&] { return running == 0; })) {
            lock.unlock();
            tick();
            lock.lock();
        }
    } else {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        run();
    }
    for (std::thread& helper : helpers)
        helper.join();
}

// One folder of FindAndReadFiles's search. The folders of one depth are listed together;
// a folder's sub-folders lie side by side, in name order, among those of the next depth.
struct SearchFolder
{
    QString path; // dropped once the folder is listed
    std::vector<FoundFile> files;
    QStringList subFolders; // their paths, until the next depth is laid out
    qsizetype firstChild = 0;
    qsizetype childCount = 0;
};

// prefix + name in a string of just that size: "+" would give it the spare room the prefix
// has, and the collection keeps one of these per film.
QString joined(const QString& prefix, const QString& name)
{
    QString path;
    path.reserve(prefix.size() + name.size());
    path.append(prefix).append(name);
    return path;
}

void listAndRead(SearchFolder& folder, const NameMatcher& matcher, const FileReader& read,
                 std::atomic<qsizetype>& filesRead, const SideReader& readSide)
{
    const QString prefix = withSeparator(folder.path);
#ifdef Q_OS_UNIX
    const int fd = openFolder(folder.path);
    if (fd < 0)
        return;
    const Listing listing = listOpenFolder(fd, matcher, bool(readSide));
#else
    const int fd = -1;
    Listing listing = listFolder(folder.path, matcher);
    if (readSide) {
        for (const QString& name :
             QDir(folder.path).entryList({u'*' + kSideFileSuffix.toString()}, QDir::Files))
            listing.sideFiles.append(name);
        std::sort(listing.sideFiles.begin(), listing.sideFiles.end());
    }
#endif
    folder.files.reserve(size_t(listing.files.size()));
    for (const QString& name : listing.files) {
        QString path = joined(prefix, name);
        QByteArray data = read(fd, QFile::encodeName(name), path);
        const qsizetype fileBytes = data.size();
        if (!listing.sideFiles.isEmpty()) {
            const QString side = SideFilePath(name);
            if (std::binary_search(listing.sideFiles.begin(), listing.sideFiles.end(), side))
                readSide(fd, QFile::encodeName(side), joined(prefix, side), data);
        }
        folder.files.push_back({std::move(path), std::move(data), fileBytes});
    }
#ifdef Q_OS_UNIX
    ::close(fd);
#endif
    filesRead.fetch_add(listing.files.size(), std::memory_order_relaxed);
    for (const QString& name : listing.folders)
        folder.subFolders.append(joined(prefix, name));
    folder.path.clear();
}

// Appends the files of folder and its sub-folders in FindFiles's order, with its status texts.
void collect(std::vector<std::vector<SearchFolder>>& depths, size_t depth, qsizetype index,
             const StatusCallback& status, QList<FoundFile>& out)
{
    SearchFolder& folder = depths[depth][size_t(index)];
    const qsizetype start = out.size();
    for (FoundFile& file : folder.files)
        out.append(std::move(file));
    for (qsizetype c = 0; c < folder.childCount; ++c) {
        collect(depths, depth + 1, folder.firstChild + c, status, out);
        if (status)
            status(QString::number(out.size() - start) + QStringLiteral(" Filme gefunden ..."));
    }
    folder.files = {};
}

} // namespace

QList<FoundFile> FindAndReadFiles(const QString& folder, const QString& pattern,
                                  const FileReader& read, const StatusCallback& status,
                                  const SideReader& readSide)
{
    QList<FoundFile> out;
    if (folder.isEmpty())
        return out;
    const NameMatcher matcher(pattern);
    // Counted by the reading threads, one addition per folder, and shown from this thread.
    std::atomic<qsizetype> filesRead{0};
    std::function<void()> tick;
    if (status)
        tick = [&] {
            status(QString::number(filesRead.load(std::memory_order_relaxed)) +
                   QStringLiteral(" Filme gelesen ..."));
        };
    std::vector<std::vector<SearchFolder>> depths(1);
    depths[0].push_back({folder, {}, {}, 0, 0});
    while (!depths.back().empty()) {
        std::vector<SearchFolder>& current = depths.back();
        forEachInParallel(
            qsizetype(current.size()),
            [&](qsizetype i) {
                listAndRead(current[size_t(i)], matcher, read, filesRead, readSide);
            },
            tick);
        std::vector<SearchFolder> next;
        for (SearchFolder& f : current) {
            f.firstChild = qsizetype(next.size());
            f.childCount = f.subFolders.size();
            for (QString& path : f.subFolders)
                next.push_back({std::move(path), {}, {}, 0, 0});
            f.subFolders = {};
        }
        depths.push_back(std::move(next));
    }
    collect(depths, 0, 0, status, out);
    return out;
}

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
