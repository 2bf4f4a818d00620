#pragma once

#include "store/Status.h"

#include <QString>
#include <functional>

namespace kinora {

class FilmCollection;

// The catalogue as a web page for any browser, read-only and without the program: a folder
// with index.html, the page's script katalog.js, the films as the script data.js (so that
// the page opens from a file as well as from a web server) and a small thumbnail of each
// cover in bilder/. The page loads nothing from another host.
//
// The folder must be empty, missing or an earlier export: the marker file
// .kinora-katalog says so and lists each thumbnail with the cover it was made from, so a
// second export encodes only covers that changed since and removes the thumbnails of films
// that are gone. Nothing is written outside the folder, and nothing through a link in it.
struct WebCatalogueResult
{
    Status status;
    int films = 0;
    int coversEncoded = 0; // thumbnails made anew
    int coversKept = 0;    // thumbnails of the earlier export still right
};

inline constexpr QStringView kWebCatalogueMarker = u".kinora-katalog";

// progress(done, total) after each batch of films.
WebCatalogueResult ExportWebCatalogue(const FilmCollection& collection, const QString& folder,
                                      const std::function<void(int, int)>& progress = {});

} // namespace kinora
