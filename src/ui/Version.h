#pragma once

#include <QString>

namespace kinora {

// A version as the splash and the info dialog show it: "1.1.9", no leading zeros.
QString VersionText(int major, int minor, int patch);

// This build's version, from the project version in CMake.
QString ProgramVersionText();

} // namespace kinora
