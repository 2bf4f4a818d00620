#pragma once

#include <QString>

namespace kinora {

// Host name of the film site's base address (KINORA_SITE_URL in the environment, else the
// address the program was built with); the main window's link label shows it.
QString FilmSiteHostName();

} // namespace kinora
