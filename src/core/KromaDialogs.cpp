// Importing a bank file, the help pages, the data folder and the dialog helpers.
#include "src/core/detail/KromaDialogs.h"

#include <iterator>
#include <mutex>

#include "platform/datafolder/DataFolder.h"
#include "src/core/Kroma.h"
#include "src/librarian/LibrarianFiles.h"
#include "src/librarian/PatchLibrarian.h"
#include "toolkit/plugin/editor/IGraphics.h"
#include "toolkit/wsys/Dialog.h"

namespace {

constexpr const char* kSupportSite = "https://support.quillonbaysound.com";
constexpr const char* kHelpPages[] = {"/my-tickets/", "/downloads/", "/kb/articles/"};
constexpr const char* kImportFailed = "Bank import FAILED!";
constexpr const char* kImported = "Bank imported!";

constexpr int kDialogResources = 0;
constexpr WSYS_DialogItem kEnterBankNameItems[] = {
    {"static", "Bank Name", -1, 10, 10, 200, 8},
    {"edit", "", 10013, 10, 20, 200, 12},
    {"button", "&Cancel", 2, 160, 60, 50, 14},
    {"button", "&OK    ", 10006, 100, 60, 50, 14},
};
constexpr WSYS_DialogResource kEnterBankName = {kEnterBankNameDialog,
                                                "Enter Bank Name",
                                                396,
                                                144,
                                                1.8f,
                                                kEnterBankNameItems,
                                                static_cast<int>(std::size(kEnterBankNameItems))};

}  // namespace

void Kroma::saveImportedFile(bool midiFile) {
  IGraphics* editor = graphics();
  if (!editor) return;
  TK_String chosen;
  editor->PromptForFile(&chosen, kFileOpen, &mPreviousPath, midiFile ? "mid" : "syx kro");
  const std::string source = chosen.Get();
  if (source.empty()) return;
  ByteChunk bytes;
  if (!LibrarianFiles::readFile(source, bytes)) {
    TK_Log(GetLog(), "FILE IMPORTER: ", "could not read " + source + ", nothing copied");
    showStatus(kImportFailed);
    return;
  }
  // A copy the scan would not list is no import: the musician would never see it.
  const std::string name = LibrarianFiles::fileNameOf(source);
  if (!mParts.mPatchLibrarian->holdsBank(name, bytes)) {
    TK_Log(GetLog(), "FILE IMPORTER: ", source + " holds no bank, nothing copied");
    showStatus(kImportFailed);
    return;
  }
  // Never over a bank of the musician's: a name taken gets the next free number, as split
  // pieces do.
  const std::string stem = LibrarianFiles::stemOf(name);
  const std::string extension = stem.size() < name.size() ? name.substr(stem.size() + 1) : "";
  const std::string destination =
      LibrarianFiles::freeName(getPatchesFolderStr() + "/", stem, extension);
  if (!LibrarianFiles::writeFile(destination, bytes, false)) {
    TK_Log(GetLog(), "FILE IMPORTER: ", "could not write " + destination);
    showStatus(kImportFailed);
    return;
  }
  TK_Log(GetLog(), "FILE IMPORTER: ", "patch file copied to " + destination);
  showStatus(kImported);  // over the text of an import that failed before
}

void Kroma::OpenHelpTopics(int page) {
  IGraphics* editor = graphics();
  if (!editor || page < 0 || page >= static_cast<int>(std::size(kHelpPages))) return;
  editor->OpenURL((std::string(kSupportSite) + kHelpPages[page]).c_str());
}

std::string Kroma::getDataFolder() {
  return DataFolder::path();
}

std::string Kroma::getPatchesFolderStr() {
  return DataFolder::patchesFolder();
}

int Kroma::getPatchesFolderLength() {
  return static_cast<int>(getPatchesFolderStr().size());
}

const char* Kroma::getPanelString(int part, std::string text) {
  mWidgets.mPanelString = "Part " + std::to_string(part + 1) + " " + text;
  return mWidgets.mPanelString.c_str();
}

void Kroma::OpenDataDirectory(bool manual) {
  if (IGraphics* editor = graphics())
    editor->OpenURL((manual ? DataFolder::userManual() : DataFolder::path()).c_str());
}

void centerDialog(HWND reference, HWND moved) {
  RECT a, b;
  if (!GetWindowRect(reference, &a) || !GetWindowRect(moved, &b)) return;
  const int left = a.left + (a.right - a.left) / 2 - (b.right - b.left) / 2;
  const int top = a.top + (a.bottom - a.top) / 2 - (b.bottom - b.top) / 2;
  SetWindowPos(moved, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

long MessageBoxProg(HWND dialog, unsigned int message, unsigned long wParam, long) {
  if (message == WM_INITDIALOG) {
    if (dialog) centerDialog(dialog->parent, dialog);
    return 1;
  }
  if (message != WM_COMMAND) return 0;
  if (wParam == IDOK) EndDialog(dialog, IDOK);
  return 1;
}

void registerDialogResources() {
  static std::once_flag registered;
  std::call_once(registered, [] { WSYS_RegisterDialog(kDialogResources, &kEnterBankName); });
}

long showMessageBox(HWND parent, Kroma*, int resourceId, void* param) {
  return WSYS_DialogBox(kDialogResources, resourceId, parent, &MessageBoxProg,
                        static_cast<long>(reinterpret_cast<intptr_t>(param)));
}
