// Placeholder so the engine library has a translation unit until its base units land.
namespace engine3d {
int engineVersion() { return 1; }
} // namespace engine3d
