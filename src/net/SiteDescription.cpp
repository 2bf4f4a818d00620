#include "net/SiteDescription.h"

#include "store/LibraryPath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <optional>

namespace kinora {

namespace {

// A description file is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxDescriptionBytes = 1024LL * 1024;

// Reads the entries of a description and remembers the first problem, named by the entry's
// path ("Filmseite.Regie.Marke"), so that the user finds it in the file.
class Reader
{
public:
    explicit Reader(QJsonObject root) : m_root(std::move(root)) {}

    QString text(const QString& path)
    {
        const QJsonValue value = at(path);
        if (value.isUndefined()) {
            fail(QStringLiteral("der Eintrag „%1“ fehlt").arg(path));
            return {};
        }
        if (!value.isString()) {
            fail(QStringLiteral("der Eintrag „%1“ ist kein Text").arg(path));
            return {};
        }
        if (value.toString().isEmpty())
            fail(QStringLiteral("der Eintrag „%1“ ist leer").arg(path));
        return value.toString();
    }

    QStringList texts(const QString& path)
    {
        const QJsonValue value = at(path);
        if (value.isUndefined()) {
            fail(QStringLiteral("der Eintrag „%1“ fehlt").arg(path));
            return {};
        }
        const QJsonArray array = value.toArray();
        if (!value.isArray() || array.isEmpty()) {
            fail(QStringLiteral("der Eintrag „%1“ ist keine Liste von Texten").arg(path));
            return {};
        }
        QStringList list;
        for (const QJsonValue item : array) {
            if (!item.isString() || item.toString().isEmpty()) {
                fail(QStringLiteral("der Eintrag „%1“ enthält etwas anderes als nicht leere "
                                    "Texte")
                         .arg(path));
                return {};
            }
            list << item.toString();
        }
        return list;
    }

    SiteMarkers markers(const QString& path)
    {
        return {text(path + QStringLiteral(".Marke")), text(path + QStringLiteral(".Anfang")),
                text(path + QStringLiteral(".Ende"))};
    }

    QString address(const QString& path, const QStringList& placeholders)
    {
        QString value = text(path);
        for (const QString& placeholder : placeholders) {
            if (m_problem.isEmpty() && !value.contains(placeholder))
                fail(QStringLiteral("der Adresse „%1“ fehlt der Platzhalter %2")
                         .arg(path, placeholder));
        }
        return value;
    }

    void fail(const QString& problem)
    {
        if (m_problem.isEmpty())
            m_problem = problem;
    }
    const QString& problem() const { return m_problem; }

private:
    QJsonValue at(const QString& path) const
    {
        QJsonValue value = m_root;
        for (const QString& key : path.split(u'.')) {
            if (!value.isObject())
                return QJsonValue(QJsonValue::Undefined);
            value = value.toObject().value(key);
        }
        return value;
    }

    QJsonObject m_root;
    QString m_problem;
};

SiteDescription& current()
{
    static SiteDescription description = BuiltInSiteDescription();
    return description;
}

} // namespace

const QStringList& SiteFieldNames()
{
    static const QStringList names = {
        QStringLiteral("Originaltitel"), QStringLiteral("Land"),       QStringLiteral("Jahr"),
        QStringLiteral("Regie"),         QStringLiteral("Darsteller"), QStringLiteral("Genre"),
        QStringLiteral("Bewertung"),     QStringLiteral("Cover"),      QStringLiteral("Inhalt"),
    };
    return names;
}

QString SiteChangedText(const QStringList& fields)
{
    return QStringLiteral("Die Film-Website zeigt %1 nicht mehr; vielleicht hat sie ihre Seiten "
                          "geändert. Prüfen lässt sich das mit „kinora-cli site-check“; eine "
                          "geänderte Beschriftung trägt man in Filmseite.json im Programmordner "
                          "ein („kinora-cli site-description“ gibt die eingebaute Beschreibung "
                          "als Vorlage aus).")
        .arg(fields.join(QStringLiteral(", ")));
}

QByteArray BuiltInSiteDescriptionText()
{
    QFile file(QStringLiteral(":/net/Filmseite.json"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("The built-in film site description is missing from the program.");
    return file.readAll();
}

const SiteDescription& BuiltInSiteDescription()
{
    static const SiteDescription builtIn = [] {
        SiteDescription description;
        if (const Status parsed = ParseSiteDescription(BuiltInSiteDescriptionText(), &description);
            !parsed)
            qFatal("The built-in film site description is broken: %s", qPrintable(parsed.error()));
        return description;
    }();
    return builtIn;
}

const SiteDescription& CurrentSiteDescription()
{
    return current();
}

void SetSiteDescription(const SiteDescription& description)
{
    current() = description;
}

Status ParseSiteDescription(const QByteArray& json, SiteDescription* description)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return Status::failure(QStringLiteral("es ist kein gültiges JSON (%1 bei Zeichen %2)")
                                   .arg(error.errorString())
                                   .arg(error.offset));
    if (!document.isObject())
        return Status::failure(QStringLiteral("es enthält kein JSON-Objekt"));
    Reader r(document.object());
    if (document.object().value(QStringLiteral("Format")).toInt() != 1)
        r.fail(QStringLiteral("der Eintrag „Format“ ist nicht 1"));
    SiteDescription d;
    d.codePage = r.text(QStringLiteral("Zeichensatz"));
    if (r.problem().isEmpty() && d.codePage != u"windows-1252" && d.codePage != u"utf-8")
        r.fail(QStringLiteral("der Zeichensatz „%1“ ist unbekannt (erlaubt: „windows-1252“, "
                              "„utf-8“)")
                   .arg(d.codePage));
    d.titleSearch =
        r.address(QStringLiteral("Adressen.Titelsuche"), {QStringLiteral("{Suchbegriff}")});
    d.extendedSearch =
        r.address(QStringLiteral("Adressen.ErweiterteSuche"),
                  {QStringLiteral("{Titel}"), QStringLiteral("{Genre}"), QStringLiteral("{Land}"),
                   QStringLiteral("{Regie}"), QStringLiteral("{Darsteller}")});
    d.filmPage = r.address(QStringLiteral("Adressen.Filmseite"), {QStringLiteral("{Nummer}")});

    d.filmPageMarks = r.texts(QStringLiteral("Filmseite.Erkennung"));
    d.origTitle = r.markers(QStringLiteral("Filmseite.Originaltitel"));
    d.country = r.markers(QStringLiteral("Filmseite.Land"));
    d.year = r.markers(QStringLiteral("Filmseite.Jahr"));
    d.directorMark = r.text(QStringLiteral("Filmseite.Regie.Marke"));
    d.directorRowEnd = r.text(QStringLiteral("Filmseite.Regie.Zeilenende"));
    d.directorLink = r.text(QStringLiteral("Filmseite.Regie.Link"));
    d.actorMark = r.text(QStringLiteral("Filmseite.Darsteller.Marke"));
    d.actorCell = r.text(QStringLiteral("Filmseite.Darsteller.Zelle"));
    d.actorEnd = r.text(QStringLiteral("Filmseite.Darsteller.Ende"));
    d.genreLink = r.text(QStringLiteral("Filmseite.Genre.Link"));
    d.linkTextStart = r.text(QStringLiteral("Filmseite.Linktext.Anfang"));
    d.linkTextEnd = r.text(QStringLiteral("Filmseite.Linktext.Ende"));
    d.ratingMark = r.text(QStringLiteral("Filmseite.Bewertung.Marke"));
    d.ratingEnd = r.text(QStringLiteral("Filmseite.Bewertung.Ende"));
    d.coverMark = r.text(QStringLiteral("Filmseite.Cover.Marke"));
    d.coverPath = r.text(QStringLiteral("Filmseite.Cover.Pfad"));
    d.plotLink = r.markers(QStringLiteral("Filmseite.Inhaltslink"));

    d.plot = r.markers(QStringLiteral("Inhaltsseite"));
    d.plotRemove = r.texts(QStringLiteral("Inhaltsseite.Entfernen"));

    d.resultLink = r.text(QStringLiteral("Ergebnisliste.Filmlink"));
    d.resultPageMark = r.text(QStringLiteral("Ergebnisliste.Erkennung"));

    d.expectedFields = r.texts(QStringLiteral("Erwartet"));
    for (const QString& field : std::as_const(d.expectedFields)) {
        if (!SiteFieldNames().contains(field))
            r.fail(QStringLiteral("„Erwartet“ nennt das unbekannte Feld „%1“ (bekannt: %2)")
                       .arg(field, SiteFieldNames().join(QStringLiteral(", "))));
    }
    if (!r.problem().isEmpty())
        return Status::failure(r.problem());
    *description = d;
    return {};
}

Status UseSiteDescription(const QString& folder)
{
    SetSiteDescription(BuiltInSiteDescription());
    const QString path = folder + u'/' + kSiteDescriptionFile.toString();
    if (!QFileInfo::exists(path))
        return {};
    const auto reject = [&path](const QString& problem) {
        return Status::failure(QStringLiteral("Die Beschreibung der Film-Website „%1“ ist "
                                              "unbrauchbar: %2. Kinora verwendet die eingebaute "
                                              "Beschreibung.")
                                   .arg(QDir::toNativeSeparators(path), problem));
    };
    const std::optional<QByteArray> bytes = ReadRegularFile(path, kMaxDescriptionBytes);
    if (!bytes)
        return reject(QStringLiteral("sie lässt sich nicht lesen (keine gewöhnliche Datei, "
                                     "größer als 1 MiB oder ohne Leserecht)"));
    SiteDescription description;
    if (const Status parsed = ParseSiteDescription(*bytes, &description); !parsed)
        return reject(parsed.error());
    SetSiteDescription(description);
    return {};
}

} // namespace kinora
