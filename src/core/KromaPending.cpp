// Temporary bodies of methods other issues own, so that callers can be written against them.
// Each does the least it can; its owner replaces it.
#include "src/core/Kroma.h"

// ---- Librarian issue ----
void Kroma::patchTypeChanged(int, int, bool) {}
void Kroma::updatePatchLibrarianView(int) {}
void Kroma::updateBankAndProgramMenuNames(bool) {}
void Kroma::refreshFolderStructure(LibrarianMenu, int, const std::string&, const std::string&) {}
void Kroma::addBankEditMenuItems() {}
void Kroma::refreshPatchNames(int) {}
