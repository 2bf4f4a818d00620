#pragma once

#include "store/FilmCollection.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QIcon>
#include <vector>

namespace kinora {

// The rows of the main window's film list: one per listed film, showing the values the last
// rebuild took from the collection (they stay as they are until the next rebuild). The rows
// keep a snapshot of the collection rather than copies of its texts, and unpack a value
// when it is shown.
// Each row carries its key (the info file's path) and its tag (the film's index in the
// collection). Sorting lives here so that it can survive every rebuild.
class FilmListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NameColumn, YearColumn, GenreColumn, CountryColumn, RatingColumn, ColumnCount };
    enum Role { KeyRole = Qt::UserRole + 1, TagRole };

    explicit FilmListModel(QObject* parent = nullptr);

    // Replaces every row with the films at indexes (ascending), sorted by the current sort
    // column and order. Films without a title are left out, and so is a film whose info file
    // is listed already (the same file found twice through overlapping folders).
    void rebuild(const FilmCollection& collection, const QList<int>& indexes);

    QString key(int row) const { return m_films.filePath(m_rows[size_t(row)]); }
    int tag(int row) const { return m_rows[size_t(row)]; }
    // The own data of the row's film as the last rebuild took it.
    OwnData ownData(int row) const { return m_films.ownData(m_rows[size_t(row)]); }

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    // The text of element `element` in a text column.
    QString text(int element, int column) const;
    // Takes the collection anew when it changed since the last rebuild; true when it did.
    bool refreshFilms(const FilmCollection& collection);
    // The position of every element in the order of the sort column, equal values sharing
    // one rank. Kept until an element or the sort column changes.
    void rankElements();
    void sortRows();

    FilmCollection::Snapshot m_films; // the collection as the last rebuild took it
    // By element: it has a title and no earlier element has the same info file (the same
    // file found twice through overlapping folders is listed once).
    std::vector<char> m_listable;
    std::vector<int> m_rows; // collection indexes of the listed films
    int m_sortColumn = NameColumn;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    QCollator m_collator;
    std::vector<int> m_rank; // by collection index, for m_rankColumn
    int m_rankColumn = -1;
    QIcon m_rowIcon;
};

} // namespace kinora
