#pragma once

namespace kinora { void registerFileTypeAtStart(); }
