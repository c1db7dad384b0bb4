#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "LibrarianBanks.h"
#include "src/librarian/view/LibrarianHost.h"
#include "src/librarian/view/LibrarianViewControl.h"
#include "tests/toolkit/plugin/base/HostlessPlugin.h"
#include "tests/toolkit/plugin/editor/EditorDoubles.h"
#include "toolkit/plugin/editor/ControlLayer.h"

// A plug-in that is the librarian's host, as the plug-in class is, and records what the view and
// the menus ask of it ("play 5 1 2": slot, list, part; jobs as describe() writes them). Its
// editor is open on the headless view, whose script answers the menus.
class LibrarianRig : public HostlessPlugin, public LibrarianHost {
 public:
  explicit LibrarianRig(double scale = 1.0);

  bool multiMode() const override { return multi; }
  int lowerListKind() const override { return lowerKind; }
  int currentPart() const override { return part; }
  bool libraryControl() const override { return librarySlots; }
  bool programControl() const override { return programRequests; }
  bool midiOutSet() const override { return midiOut; }
  FileName remembered(Remembered which) const override { return files[which]; }
  void remember(Remembered which, const FileName& name) override { files[which] = name; }
  LibrarianViewControl* librarianView() const override { return view; }
  ControlLayer* layerNamed(const std::string& name) const override;
  // There are two lists only; a menu asking for another gets no control.
  IControl* selectionControl(int list) const override {
    displaysAsked.push_back(list);
    return list == 0 || list == 1 ? selections[list] : nullptr;
  }
  void setRenameFinished(bool finished) override { renameFinished = finished; }
  void showFileEditMenu(int x, int y) override { record("edit menu", x, y); }
  void showFileCopyMenu(int x, int y) override { record("copy menu", x, y); }
  void showStatus(const std::string& text) override { calls.push_back("status " + text); }
  void clearStatus(const std::string& text) override { calls.push_back("unsay " + text); }
  void sendPatchToDeviceFromLibrarian(int s, int l, int p) override { record("play", s, l, p); }
  void pauseUnlocked(int milliseconds) override { record("pause", milliseconds); }
  void SendSingleProgramFromLibrarian(bool store, int p) override { record("single", store, p); }
  void SendAllProgramsFromLibrarian(int bank) override { record("all", bank); }
  void updateBankAndProgramMenuNames(bool keep) override { record("menus", keep); }
  void SetLibrarianStatusUnsaved(bool on) override { record("unsaved", on); }
  void librarianBankSaved() override { record("saved"); }
  void patchTypeChanged(int t, int k, bool r) override { record("type", t, k, r); }
  void OnParamChange(int paramIdx) override { record("change", paramIdx); }
  // "job code part bank slot" and letters: E to the editor, L to the librarian, d dump routing,
  // c collector done cleared, m Multi push.
  bool startLibrarianJob(const SenderJob& job, JobFlags flags) override;
  bool sendSinglePatchRequestSysexFromLibrarian(bool edit, int bank) override {
    return record("request 9", edit, bank), true;
  }
  bool sendAllPatchRequestSysexFromLibrarian(int bank) override {
    return record("request 10", bank), true;
  }
  bool BankChangeMessage(int p) override { return record("bank change", p), bankChanges; }
  void sendPatchToDevice(int p, bool push, bool first, bool global, bool m) override {
    record("send part", p, push, first, global, m);
  }
  void saveImportedFile(bool midi) override { record("import", midi); }
  void OpenHelpTopics(int page) override { record("help", page); }
  void OpenDataDirectory(bool manual) override { record("data folder", manual); }

  // The bank view at (100, 214), scaled, as the layout places it.
  LibrarianViewControl* makeView();
  // Answers the next menu with `path` (empty: dismissed) and presses `control`.
  void choose(IControl* control, const std::vector<int>& path);
  // The calls since the last take.
  std::vector<std::string> take();
  IParam* param(int index) { return GetParam(index); }

  bool multi = false;
  int lowerKind = 0;
  int part = 0;
  bool librarySlots = false;
  bool programRequests = true;
  bool midiOut = true;
  bool bankChanges = true;
  bool renameFinished = true;
  FileName files[4];
  double scale;
  PatchLibrarian librarian;
  editor_test::TestGraphics* graphics;
  LibrarianViewControl* view = nullptr;
  // The controls that show the upper and the lower list's bank; none unless a test sets them.
  IControl* selections[2] = {nullptr, nullptr};
  mutable std::vector<int> displaysAsked;
  std::vector<std::string> calls;
  std::map<std::string, std::unique_ptr<ControlLayer>> layers;

 private:
  template <class... Args>
  void record(const char* what, Args... args) {
    std::string call = what;
    ((call += " " + std::to_string(args)), ...);
    calls.push_back(call);
  }
};
