#include "net/SiteAddress.h"

#include "net/SiteDescription.h"
#include "store/CodePage.h"

namespace kinora {

namespace {

// Bytes that never stand unencoded in an address.
bool needsEscape(uchar b)
{
    if (b <= 0x20 || b >= 0x7F)
        return true;
    switch (b) {
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

void appendEscaped(QByteArray& out, uchar b)
{
    static const char hex[] = "0123456789ABCDEF";
    out += '%';
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

// A search field as it goes into the query: its Windows-1252 bytes, with the characters
// that would change the query's meaning ("&" ends the value, "#" starts a fragment, "+" and
// "%" are decoded by the site) and all non-address bytes percent-encoded. A blank becomes
// `blank`.
QString encodeField(const QString& value, QLatin1StringView blank)
{
    QByteArray out;
    const QByteArray bytes =
        CurrentSiteDescription().codePage == u"utf-8" ? value.toUtf8() : ToCp1252(value);
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = uchar(c);
        if (b == ' ')
            out += blank;
        else if (needsEscape(b) || b == '&' || b == '#' || b == '+' || b == '%')
            appendEscaped(out, b);
        else
            out += c;
    }
    return QString::fromLatin1(out);
}

} // namespace

QString SiteBaseUrl()
{
    QString base = qEnvironmentVariable("KINORA_SITE_URL");
    if (base.isEmpty())
        base = QStringLiteral(KINORA_DEFAULT_SITE_URL);
    if (!base.endsWith(u'/'))
        base += u'/';
    return base;
}

QString TitleSearchUrl(const QString& term, const QString& base)
{
    QString address = CurrentSiteDescription().titleSearch;
    return base + address.replace(QStringLiteral("{Suchbegriff}"),
                                  encodeField(term, QLatin1StringView(" ")));
}

QString ExtendedSearchUrl(const QString& title, const QString& genre, const QString& country,
                          const QString& director, const QString& actor, const QString& base)
{
    const QLatin1StringView plus("+");
    // An encoded field never holds "{" (it is percent-encoded), so no value can fill in
    // another field's placeholder.
    QString address = CurrentSiteDescription().extendedSearch;
    address.replace(QStringLiteral("{Titel}"), encodeField(title, plus))
        .replace(QStringLiteral("{Genre}"), encodeField(genre, plus))
        .replace(QStringLiteral("{Land}"), encodeField(country, plus))
        .replace(QStringLiteral("{Regie}"), encodeField(director, plus))
        .replace(QStringLiteral("{Darsteller}"), encodeField(actor, plus));
    return base + address;
}

QString FilmPageUrl(qint32 filmId, const QString& base)
{
    QString address = CurrentSiteDescription().filmPage;
    return base + address.replace(QStringLiteral("{Nummer}"), QString::number(filmId));
}

QByteArray AddressBytes(const QString& address)
{
    QByteArray out;
    const QByteArray bytes = ToCp1252(address);
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (needsEscape(uchar(c)))
            appendEscaped(out, uchar(c));
        else
            out += c;
    }
    return out;
}

} // namespace kinora
