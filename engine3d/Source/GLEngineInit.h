// Start-up and shut-down of the 3D engine's units: streamable classes registered by name, the context
// manager created, the processor's math path chosen and the picture formats installed, each once.
#pragma once

namespace engine3d {

// Runs every unit's start-up step in link order; a second call does nothing. The matching shut-down
// runs at program exit.
void InitEngine3D();
// The shut-down steps in reverse order: "dds" leaves the picture registry, the context manager ends.
void FinalizeEngine3D();
// How many times the start-up steps have acted (0 or 1).
int Engine3DStartUpCount();

} // namespace engine3d
