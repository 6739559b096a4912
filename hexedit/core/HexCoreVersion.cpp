// Placeholder so the core library has a translation unit until the editing model lands.
namespace hexcore {
int coreVersion() { return 1; }
} // namespace hexcore
