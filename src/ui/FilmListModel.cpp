#include "ui/FilmListModel.h"

#include "store/FilmCollection.h"
#include "store/NumberParse.h"

#include <QLocale>
#include <QSet>
#include <algorithm>
#include <functional>

namespace kinora {

FilmListModel::FilmListModel(QObject* parent)
    : QAbstractTableModel(parent), m_collator(QLocale(QLocale::German, QLocale::Germany)),
      m_rowIcon(QStringLiteral(":/film16.png"))
{
    // German rules whatever the process's locale: under C.UTF-8 the system's order would put
    // every capital before every small letter and "Ä" after "z".
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
}

void FilmListModel::rebuild(const FilmCollection& collection, const QList<int>& indexes)
{
    beginResetModel();
    if (refreshFilms(collection))
        m_rankColumn = -1;
    m_rows.clear();
    m_rows.reserve(size_t(indexes.size()));
    for (int i : indexes) {
        if (m_listable[size_t(i)])
            m_rows.push_back(i);
    }
    sortRows();
    endResetModel();
}

bool FilmListModel::refreshFilms(const FilmCollection& collection)
{
    if (collection.generation() == m_films.generation())
        return false;
    m_films = collection.snapshot();
    const int count = m_films.count();
    m_listable.assign(size_t(count), 0);
    QSet<QString> seen;
    seen.reserve(count);
    for (int i = 0; i < count; ++i) {
        const qsizetype before = seen.size();
        seen.insert(m_films.filePath(i));
        m_listable[size_t(i)] = static_cast<char>(seen.size() != before &&
                                                  !m_films.text(i, FilmField::Title).isEmpty());
    }
    return true;
}

int FilmListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FilmListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString FilmListModel::text(int element, int column) const
{
    switch (column) {
    case YearColumn:
        return m_films.text(element, FilmField::Year);
    case GenreColumn:
        return m_films.text(element, FilmField::Genre);
    case CountryColumn:
        return m_films.text(element, FilmField::Country);
    default:
        return m_films.text(element, FilmField::Title);
    }
}

QVariant FilmListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int element = m_rows[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        // 745 lists as 7,45 and 800 as 8, in German whatever the system's locale.
        if (index.column() == RatingColumn)
            return QLocale(QLocale::German, QLocale::Germany)
                .toString(m_films.rating(element) / 100.0, 'f', QLocale::FloatingPointShortest);
        return text(element, index.column());
    case Qt::DecorationRole:
        return index.column() == NameColumn ? QVariant(m_rowIcon) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == YearColumn || index.column() == RatingColumn)
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case KeyRole:
        return m_films.filePath(element);
    case TagRole:
        return m_rows[size_t(index.row())];
    default:
        return {};
    }
}

QVariant FilmListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole) {
        static const char* const kCaptions[] = {"Name", "Jahr", "Genere", "Land", "Bewertung"};
        return QString::fromLatin1(kCaptions[section]);
    }
    if (role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return {};
}

void FilmListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= ColumnCount)
        return;
    m_sortColumn = column;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> tags;
    for (const QModelIndex& index : before)
        tags.push_back(m_rows[size_t(index.row())]);
    sortRows();
    if (!before.isEmpty()) {
        // Persistent indexes (the selection, the current row) follow their film.
        QHash<int, int> rowOfTag;
        for (size_t r = 0; r < m_rows.size(); ++r)
            rowOfTag.insert(m_rows[r], int(r));
        QModelIndexList after;
        for (qsizetype k = 0; k < before.size(); ++k)
            after.append(index(rowOfTag.value(tags[size_t(k)]), before[k].column()));
        changePersistentIndexList(before, after);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void FilmListModel::rankElements()
{
    const size_t n = size_t(m_films.count());
    if (m_rankColumn == m_sortColumn && m_rank.size() == n)
        return;
    std::vector<int> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = int(i);
    // Compares as less, equal or greater for elements a and b.
    std::function<int(int, int)> compare;
    std::vector<double> numbers;
    std::vector<QCollatorSortKey> keys;
    if (m_sortColumn == YearColumn || m_sortColumn == RatingColumn) {
        numbers.reserve(n);
        for (int i = 0; i < int(n); ++i)
            numbers.push_back(m_sortColumn == RatingColumn
                                  ? double(m_films.rating(i))
                                  : ParseLeadingNumber(m_films.text(i, FilmField::Year)));
        compare = [&](int a, int b) {
            return numbers[size_t(a)] < numbers[size_t(b)]
                       ? -1
                       : numbers[size_t(a)] > numbers[size_t(b)];
        };
    } else {
        keys.reserve(n);
        for (int i = 0; i < int(n); ++i)
            keys.push_back(m_collator.sortKey(text(i, m_sortColumn)));
        compare = [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]); };
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(a, b) < 0; });
    m_rank.assign(n, 0);
    for (size_t k = 1; k < n; ++k)
        m_rank[size_t(order[k])] =
            m_rank[size_t(order[k - 1])] + (compare(order[k - 1], order[k]) != 0);
    m_rankColumn = m_sortColumn;
}

// Ties go by collection order in both directions, so equal rows never swap places.
void FilmListModel::sortRows()
{
    rankElements();
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    std::sort(m_rows.begin(), m_rows.end(), [&](int a, int b) {
        const int x = m_rank[size_t(a)], y = m_rank[size_t(b)];
        if (x != y)
            return ascending ? x < y : x > y;
        return a < b;
    });
}

} // namespace kinora
