// Shared test helpers live beside this file; this unit keeps the library non-empty.
namespace veridane::testing {
int SupportLibraryAnchor() { return 0; }
}  // namespace veridane::testing
