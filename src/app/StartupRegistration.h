#pragma once

namespace kinora {

// Registers the info-file type ".knr" for the running program at a normal start, in the
// background (see RegisterKinoraFileType). A registration that cannot be written is skipped;
// it never stops or holds up the start.
void registerFileTypeAtStart();

} // namespace kinora
