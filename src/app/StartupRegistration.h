#pragma once

namespace kinora {

// Registers the info-file type ".knr" for the running program at a normal start: in the
// Windows registry, or as desktop integration in the user's data and configuration folders.
// A registration that cannot be written is skipped; it never stops or holds up the start.
void registerFileTypeAtStart();

} // namespace kinora
