#pragma once

#include <QByteArray>
#include <QString>

// The addresses Kinora sends to the film site.
//
//   SiteBaseUrl()                       base address, always ending in "/"
//   TitleSearchUrl(term)                the standard search
//   ExtendedSearchUrl(t, g, c, d, a)    the extended search (blank genre/country: pass "-")
//   FilmPageUrl(id)                     a film's page
//   AddressBytes(address)               the bytes that go on the wire for an address text
//
// The addresses below the base come from the site description (SiteDescription.h); the
// comments give the built-in ones. Every builder takes the base address as an optional last
// argument (tests and tools that talk to another site); by default SiteBaseUrl() is used.

namespace kinora {

// The environment variable KINORA_SITE_URL, else the address the program was built with
// (CMake option KINORA_SITE_URL). A missing final "/" is added.
QString SiteBaseUrl();

// base + "view.php?page=suchergebnis&SText=" + term + "&Kat=All". The term keeps its blanks
// (AddressBytes sends them as %20); "&", "#", "+", "%", control characters and every character
// outside ASCII are percent-encoded as their Windows-1252 byte ("ä" -> %E4), so the site receives
// the term exactly as typed.
QString TitleSearchUrl(const QString& term, const QString& base = SiteBaseUrl());

// base + "view.php?page=erwblaettern&Kat=Film&Titel=...&Genre=...&Land=...&Regie=...
// &Darsteller=...&Alter=-&&Submit=Suche+ausf%FChren": the five fields encoded as in the title
// search, except that a blank becomes "+". Note the two ampersands before "Submit=".
QString ExtendedSearchUrl(const QString& title, const QString& genre, const QString& country,
                          const QString& director, const QString& actor,
                          const QString& base = SiteBaseUrl());

// base + "view.php?page=film&fid=" + id in decimal.
QString FilmPageUrl(qint32 filmId, const QString& base = SiteBaseUrl());

// An address text as it goes on the wire: its Windows-1252 bytes, with every byte that
// cannot stand in an address (blank, control, 0x80-0xFF, quote, angle brackets, ...)
// percent-encoded. "%" escapes already in the text stay as they are.
QByteArray AddressBytes(const QString& address);

} // namespace kinora
