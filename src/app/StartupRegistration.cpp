#include "app/StartupRegistration.h"

namespace kinora {

// Registering the ".knr" file type with the desktop comes with the desktop integration;
// until then a normal start registers nothing.
void registerFileTypeAtStart() {}

} // namespace kinora
