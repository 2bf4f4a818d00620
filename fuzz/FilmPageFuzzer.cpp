// The film-page field extraction on any page (film page and plot page alike), decoded as
// Windows-1252 and as UTF-8: no crash; the record holds what the page gives and nothing of
// the fields the page cannot set; the cover and plot addresses lie below the site's base
// address on the site's host; a record that fits a slot survives the info file.
#include "FuzzCheck.h"

#include "net/Download.h"
#include "net/FilmScraper.h"
#include "store/CodePage.h"
#include "store/InfoFile.h"

#include <QUrl>

using namespace kinora;

namespace {

const QString kBase = QStringLiteral("http://127.0.0.1:8437/");

void checkAddress(const QString& address)
{
    if (address.isEmpty())
        return;
    KINORA_FUZZ_CHECK(address.startsWith(kBase));
    const QUrl url(address);
    KINORA_FUZZ_CHECK(!url.isValid() || url.host() == u"127.0.0.1");
}

void checkPage(const QString& page)
{
    const ScrapedPage scraped = ScrapeFilmPage(page, u"4711 - Alpha Beta", kBase);
    const FilmRecord& film = scraped.record;
    KINORA_FUZZ_CHECK(film.Description == u"#nv");
    KINORA_FUZZ_CHECK(film.DiskDesc.isEmpty() && film.FilePath.isEmpty());
    KINORA_FUZZ_CHECK(film.Title == u"Alpha Beta");
    checkAddress(scraped.coverAddress);
    checkAddress(scraped.plotAddress);

    const QString plot = CleanPlot(PlotFromPlotPage(page));
    KINORA_FUZZ_CHECK(plot == u"#nv" || plot.size() <= page.size()); // "#nv": no plot markers

    // What the import stores: the record with the plot, in the code page of the info file.
    FilmRecord stored = film;
    stored.Description = plot;
    const QByteArray encoded = EncodeRecord(stored);
    if (encoded.size() <= kSlotSize) {
        const std::optional<FilmRecord> back = DecodeRecord(encoded);
        KINORA_FUZZ_CHECK(back && back->Title == stored.Title);
        KINORA_FUZZ_CHECK(back->Actors == FromCp1252(ToCp1252(stored.Actors)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    checkPage(DecodePage(body, "text/html"));
    checkPage(DecodePage(body, "text/html; charset=utf-8"));
    return 0;
}
