// Keeps the part-reader library non-empty while it has no readers of its own yet.
namespace objparts {
int anchor() {
    return 0;
}
} // namespace objparts
