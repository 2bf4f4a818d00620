#include "MemoryRegistry.h"

#include "store/CodePage.h"

#include <optional>

namespace kinora {

namespace {

// The levels of a key path; nullopt for an empty level anywhere but at the very end.
std::optional<QStringList> splitPath(const QString& path)
{
    if (path.isEmpty())
        return QStringList();
    QStringList levels = path.split(u'\\');
    if (levels.size() > 1 && levels.last().isEmpty())
        levels.removeLast();
    for (const QString& level : levels) {
        if (level.isEmpty())
            return std::nullopt;
    }
    return levels;
}

QString fold(const QString& text)
{
    return text.toCaseFolded();
}

} // namespace

QString MemoryRegistry::valueText(quint32 type, const QByteArray& data)
{
    if (type == kRegSz)
        return FromCp1252(data.left(data.indexOf('\0')));
    if (type == kRegDword && data.size() == 4) {
        const auto* b = reinterpret_cast<const uchar*>(data.constData());
        return QString::number(quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 |
                               quint32(b[3]) << 24);
    }
    return QString::fromLatin1(data.toHex());
}

const MemoryRegistry::KeyData* MemoryRegistry::find(Key root, const QString& path) const
{
    const auto levels = splitPath(path);
    if (!levels || levels->isEmpty())
        return nullptr;
    const auto tree = m_roots.constFind(root);
    if (tree == m_roots.cend())
        return nullptr;
    const auto it = tree->constFind(fold(levels->join(u'\\')));
    return it == tree->cend() ? nullptr : &*it;
}

Registry::Key MemoryRegistry::openHandle(Key root, const QString& folded, quint32 access)
{
    const Key handle = m_nextHandle++;
    m_open.insert(handle, OpenKey{root, folded, access});
    return handle;
}

long MemoryRegistry::createKey(Key root, const QString& path, quint32 access, Key* key)
{
    const auto levels = splitPath(path);
    if (!levels)
        return kErrorBadPathname;
    Tree& tree = m_roots[root];
    QString display;
    for (const QString& level : *levels) {
        display = display.isEmpty() ? level : display + u'\\' + level;
        if (tree.contains(fold(display)))
            continue;
        if (m_readOnly)
            return kErrorAccessDenied;
        tree.insert(fold(display), KeyData{display, {}});
    }
    *key = openHandle(root, fold(display), access);
    return kErrorSuccess;
}

long MemoryRegistry::openKey(Key root, const QString& path, quint32 access, Key* key)
{
    const auto levels = splitPath(path);
    if (!levels)
        return kErrorBadPathname;
    if (!levels->isEmpty() && !find(root, path))
        return kErrorFileNotFound;
    if (m_readOnly && (access & kKeySetValue))
        return kErrorAccessDenied;
    *key = openHandle(root, fold(levels->join(u'\\')), access);
    return kErrorSuccess;
}

long MemoryRegistry::setValue(Key key, const QString& name, quint32 type, const QByteArray& data)
{
    const auto open = m_open.constFind(key);
    if (open == m_open.cend())
        return kErrorInvalidHandle;
    if (!(open->access & kKeySetValue) || m_readOnly)
        return kErrorAccessDenied;
    Tree& tree = m_roots[open->root];
    const auto it = tree.find(open->folded);
    if (it == tree.end())
        return kErrorKeyDeleted;
    it->values.insert(fold(name), Value{name, type, data});
    return kErrorSuccess;
}

long MemoryRegistry::deleteKey(Key root, const QString& path)
{
    const auto levels = splitPath(path);
    if (!levels)
        return kErrorBadPathname;
    if (levels->isEmpty() || m_readOnly)
        return kErrorAccessDenied;
    Tree& tree = m_roots[root];
    const QString folded = fold(levels->join(u'\\'));
    const auto it = tree.find(folded);
    if (it == tree.end())
        return kErrorFileNotFound;
    const QString childPrefix = folded + u'\\';
    const auto child = tree.lowerBound(childPrefix);
    if (child != tree.end() && child.key().startsWith(childPrefix))
        return kErrorAccessDenied;
    tree.erase(it);
    return kErrorSuccess;
}

long MemoryRegistry::closeKey(Key key)
{
    return m_open.remove(key) ? kErrorSuccess : kErrorInvalidHandle;
}

bool MemoryRegistry::hasKey(const QString& path, Key root) const
{
    return find(root, path) != nullptr;
}

QString MemoryRegistry::defaultValue(const QString& path, Key root) const
{
    const KeyData* data = find(root, path);
    if (!data)
        return {};
    const auto it = data->values.constFind(QString());
    return it == data->values.cend() ? QString() : valueText(it->type, it->data);
}

QStringList MemoryRegistry::dump(Key root) const
{
    QStringList lines;
    for (const KeyData& data : m_roots.value(root)) {
        if (data.values.isEmpty())
            lines << data.path;
        for (const Value& value : data.values) {
            const QString name =
                value.name.isEmpty() ? QString() : QStringLiteral(" [") + value.name + u']';
            lines << data.path + name + QStringLiteral(" = ") + valueText(value.type, value.data);
        }
    }
    return lines;
}

} // namespace kinora
