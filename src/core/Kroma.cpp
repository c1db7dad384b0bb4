#include "src/core/Kroma.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <optional>

#include "platform/bundle/Bundle.h"
#include "platform/datafolder/DataFolder.h"
#include "src/config/ParameterIds.h"
#include "src/core/detail/DebuggerOutput.h"
#include "src/core/detail/EditorRequests.h"
#include "src/core/detail/HostMessageWorker.h"
#include "src/core/detail/KromaDialogs.h"
#include "src/core/detail/PatchManager.h"
#include "src/core/detail/StartupSettings.h"
#include "src/editor/EditorConfigManager.h"
#include "src/editor/ProgressIndicator.h"
#include "src/librarian/PatchLibrarian.h"
#include "src/protocol/MIDIMessageManager.h"
#include "src/protocol/SoundDump.h"
#include "toolkit/plugin/editor/ControlLayer.h"
#include "toolkit/plugin/editor/IGraphicsMac.h"
#include "toolkit/plugin/editor/ITextControl.h"

using namespace layer_visibility;

namespace {

// Identity, as the framework and the host see it.
constexpr const char* kEffectName = "Kroma Editor";
constexpr const char* kProductName = "";
constexpr const char* kVendorName = "Quillon Bay Sound";
constexpr int kVersion = 0x00010203;
constexpr int kUniqueID = 0x65736763;  // 'esgc'
constexpr int kMakerID = 0x51625331;   // 'QbS1'
constexpr const char* kChannelIO = "2-2";
constexpr int kLatency = 128;
// The base is made with the sound parameters; initialize then declares every parameter.
constexpr int kBaseParams = 1648;

constexpr int kBackgroundId = 104;
constexpr const char* kBackgroundFile = "resources/img/main-bg-frame.png";

// A bundle resource read through the graphics object, as the configuration manager reads it:
// the file's bytes, then zeros up to the next whole block of 8.
UIConfigManager::ResourceLoader resourcesThrough(IGraphics* graphics) {
  return [graphics](int id, const char* name) -> std::optional<Bundle::LoadedFile> {
    std::unique_ptr<unsigned char[]> bytes(graphics->LoadFile(id, name));
    if (!bytes) return std::nullopt;
    Bundle::LoadedFile file;
    file.size = std::max(graphics->GetLoadedFileSize(), 0);
    file.bytes.assign(bytes.get(), bytes.get() + file.size);
    file.bytes.resize((file.bytes.size() + 7) / 8 * 8, 0);
    return file;
  };
}

// The layers the plug-in shows and hides itself, besides those of the tab switches.
struct LayerRow {
  const char* name;
  ControlLayer* EditorWidgets::*field;
};
constexpr LayerRow kOwnLayers[] = {
    {"patchLibrarian", &EditorWidgets::mLibrarianLayer},
    {"patchRename", &EditorWidgets::mPatchRenameLayer},
    {"aboutWindow", &EditorWidgets::mAboutLayer},
    {"firstRunNotification", &EditorWidgets::mFirstRunLayer},
    {"bankPatchConflictWindow", &EditorWidgets::mBankPatchConflictLayer},
    {"midiFilterSettings", &EditorWidgets::mMIDIFilterSettingsLayer},
};

// The MIDI filter and clock switches at start: each control set as a user edit, and the flag
// that follows it (none for the direct-to-hardware switch).
struct FilterRow {
  int param;
  double value;
};
constexpr FilterRow kDAWFilterDefaults[7] = {
    {kMIDIFilterDAWCCPassThrough, 1.0},   {kMIDIFilterDAWPCPassThrough, 0.0},
    {kMIDIFilterDAWNotePassThrough, 1.0}, {kMIDIFilterDAWPPPassThrough, 1.0},
    {kMIDIFilterDAWPAPassThrough, 1.0},   {kMIDIFilterDAWCAPassThrough, 1.0},
    {kMIDIFilterDAWSEPassThrough, 0.0}};
constexpr FilterRow kHWFilterDefaults[7] = {
    {kMIDIFilterHWCCPassThrough, 1.0},   {kMIDIFilterHWPCPassThrough, 0.0},
    {kMIDIFilterHWNotePassThrough, 1.0}, {kMIDIFilterHWPPPassThrough, 1.0},
    {kMIDIFilterHWPAPassThrough, 1.0},   {kMIDIFilterHWCAPassThrough, 1.0},
    {kMIDIFilterHWSEPassThrough, 1.0}};

}  // namespace

Kroma::Kroma(IPluginInstanceInfo instanceInfo)
    : IPluginVST(instanceInfo, kBaseParams, kChannelIO, 0, kEffectName, kProductName, kVendorName,
                 kVersion, kUniqueID, kMakerID, kLatency, true, true, true, 0) {
  try {
    mClock.mTimeInfo.mTempo = 120.0;
    mClock.mTimeInfo.mSamplePos = mClock.mTimeInfo.mPPQPos = mClock.mTimeInfo.mLastBar = -1.0;
    mClock.mTimeInfo.mCycleStart = mClock.mTimeInfo.mCycleEnd = -1.0;
    mClock.mTimeInfo.mNumerator = mClock.mTimeInfo.mDenominator = 4;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    mClock.mSampleRate = GetSampleRate();
    openDataFolder();
    readSettingsFiles();
    log("INITIALIZATION STARTED!");
    SetLatency(kLatency);
    log("Data folder located at " + getDataFolder());
    initialize(instanceInfo, 0, numParams, kChannelIO, 0, kEffectName, kProductName, kVendorName,
               kVersion, kUniqueID, kMakerID, kLatency, true, true, true, 0);
    addNonAutomateParamCount(numParams);
    mParts.mPatchManager = std::make_unique<PatchManager>(this);
    log("PATCH MANAGER INITIALIZED...");
    makeLibrarian();
    makeEditor();
    registerDialogResources();
    lookUpLayers();
    if (mWidgets.mTabLayers.randomize) mWidgets.mTabLayers.randomize->GrayOut(true);
    for (ControlLayer* layer : {mWidgets.mPatchRenameLayer, mWidgets.mTabLayers.categoryLimit,
                                mWidgets.mTabLayers.searchField})
      hide(layer);
    mWidgets.mEditor->AttachBackground(kBackgroundId, kBackgroundFile, mWidgets.mGUIScale);
    AttachGraphics(mWidgets.mEditor);
    log("Layers attached...");
    mWidgets.mTabLayers.progress = makeProgressLayer(*mParts.mUIConfigManager);
    mParts.mMIDIMessageManager =
        std::make_unique<MIDIMessageManager>(*this, *mParts.mPatchLibrarian, GetLog());
    mParts.mHostMessages = std::make_unique<HostMessageWorker>(
        [this](const IMidiMsg& msg) {
          TK_MutexLock lock(mMutex);
          routeMidiMsg(msg, false);
        },
        GetLog());
    takeFirstSnapshot();
    lookUpControlsFirst();
    makeSelectionListsAndMenus();
    lookUpControlsSecond();
    setInitialValues();
    mWidgets.mEditor->AttachLayer(mWidgets.mTabLayers.progress->layer());
    applyUISettings();
    setMIDIFilterDefaults();
    refreshControls();
    finishStartup();
  } catch (...) {
    shutDown();
    throw;
  }
}

void Kroma::log(const std::string& message) const {
  TK_Log(GetLog(), "", message);
}

void Kroma::openDataFolder() {
  mParts.mLogFilePath = DataFolder::logFile();
  SetLog(std::make_unique<DebuggerOutput>(mParts.mLogFilePath));
  mParts.mDebugLogging = GetLog()->IsOn();
}

void Kroma::readSettingsFiles() {
  mParts.mUISettingsPath = DataFolder::uiSettingsFile();
  const UISettings settings = UISettings::read(mParts.mUISettingsPath);
  mParts.mUIColorSchemeLine = settings.colorSchemeLine;
  mParts.mUISizeLine = settings.sizeLine;
  mParts.mUIFirstRunLine = settings.firstRunLine;
  mWidgets.mGUIScale = settings.guiScale();
  mWidgets.mColorScheme = settings.colorScheme();
  SampleNames samples = SampleNames::read(DataFolder::samplesFile());
  mParts.mSampleNames = std::move(samples.names);
  mParts.mSamplesFileRead = samples.fileRead;
}

void Kroma::makeLibrarian() {
  mParts.mPatchLibrarian = std::make_unique<PatchLibrarian>();
  mParts.mPatchLibrarian->setLog(GetLog());
  log("PATCH LIBRARIAN INITIALIZED...");
  mParts.mPatchLibrarian->upperFileIndex = 0;
  mParts.mPatchLibrarian->lowerFileIndex = 0;
  mParts.mPatchLibrarian->loadPatchesFromFilesystem(getPatchesFolderStr());
  log("PATCH LIBRARIAN COMPLETED FILE LOADING...");
}

void Kroma::makeEditor() {
  mWidgets.mEditor = MakeGraphics(this, static_cast<int>(kEditorWidth * mWidgets.mGUIScale),
                                  static_cast<int>(kEditorHeight * mWidgets.mGUIScale), 0);
  mWidgets.mEditorRequests = new EditorRequests(this);
  mWidgets.mEditor->AttachControl(mWidgets.mEditorRequests);
  log("STARTING USER INTERFACE CONFIGURATION...");
  auto config = std::make_unique<EditorConfigManager>();
  config->setLog(GetLog());
  config->setResourceLoader(resourcesThrough(mWidgets.mEditor));
  // The sample menus read the samples file's names, read just before.
  config->setDisplayHost(this);
  mParts.mUIConfigManager = std::move(config);
  mParts.mUIConfigManager->readUIConfig(mWidgets.mEditor, this, mParts.mPatchLibrarian.get(),
                                        mWidgets.mColorScheme, mWidgets.mGUIScale);
  initUnshownParams();
  log("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");
}

// No control shows them, so the layout gives them no range: without one they would hold only
// 0..1, and every effect setting and every sound's category would be lost on its way from one
// dump into the next, and the device id the synthesizer answers to would be wrong from 2 on. A
// category byte past the named ones is kept as the synthesizer holds it.
void Kroma::initUnshownParams() {
  for (int first : {kEffect1Param01, kEffect2Param01})
    for (int n = 0; n < sound_dump::kEffectParams; ++n)
      for (int part = 0; part < 16; ++part) {
        const std::string name = "Effect " + std::string(first == kEffect1Param01 ? "1" : "2") +
                                 " Position " + std::to_string(n + 1);
        GetParam(first + 16 * n + part)->InitInt(name.c_str(), 0, 0, 127);
      }
  for (int part = 0; part < 16; ++part)
    GetParam(kCategoryName + part)->InitInt("Category", 0, 0, 127);
  GetParam(kDeviceID_old)->InitInt("Device ID in use", 0, 0, 127);
}

void Kroma::lookUpLayers() {
  mWidgets.mTabLayers.lookUp(*mParts.mUIConfigManager);
  for (const LayerRow& row : kOwnLayers) {
    mWidgets.*row.field = mParts.mUIConfigManager->getLayer(row.name);
    if (!(mWidgets.*row.field)) logMissing(std::string("layer ") + row.name);
  }
  applyStartVisibility();
}

// The editor starts on the Multi page with part 1's bank panel; every dialog and switched panel
// is hidden.
void Kroma::applyStartVisibility() {
  const TabLayers& layers = mWidgets.mTabLayers;
  show(layers.root);
  show(layers.multiModeSettingsPage1);
  hideAll(layers.filterPictures[0]);
  hideAll(layers.filterPictures[1]);
  for (int part = 0; part < 16; ++part) show(layers.bankAndProgram[part], part == 0);
  hide(layers.bankAndProgramMulti);
  hide(layers.saveChangesLayer);
  hideAll(layers.multiSettingsPart);
  for (ControlLayer* layer : {layers.discardChangesLayerRight, layers.keepBankOpenLayer,
                              mWidgets.mAboutLayer, mWidgets.mFirstRunLayer,
                              mWidgets.mBankPatchConflictLayer, mWidgets.mMIDIFilterSettingsLayer})
    hide(layer);
  hideAll(layers.effectPanels);
}

// The project starts with the names the editor's fields show and the first dumps carry.
void Kroma::takeFirstSnapshot() {
  MakeDefaultPreset("-", 64);
  ByteChunk body;
  SerializeState2(&body, false);
  mParts.mPatchManager->init(body);
  mParts.mPatchManager->setName(Patch::kMultiNameSlot, getDisplayText(kMultiName));
  for (int part = 0; part < 16; ++part)
    mParts.mPatchManager->setName(Patch::kFirstPatchNameSlot + part,
                                  getDisplayText(kPatchName + part));
}

void Kroma::lookUpControlsFirst() {
  mWidgets.mDatatypeControl = builtControl(kDatatype);
  mWidgets.mPatchSearchControl = builtControl(kPatchSearch);
  mWidgets.mProgBankControl = builtControl(kControlProgBank);
  mWidgets.mQuickTabAction = mParts.mUIConfigManager->getControlAction(kQuickTab);
  mWidgets.mMainTabAction = mParts.mUIConfigManager->getControlAction(kMainTab);
  log("Control set 1 attached");
}

void Kroma::initSelectionList(int paramIdx, const char* name, IControl** control,
                              Remembered which) {
  const PatchFileList& files = mParts.mPatchLibrarian->soundFiles;
  IParam* param = GetParam(paramIdx);
  param->InitEnum(name, 0, static_cast<int>(files.size()), "", "", -1, -1);
  std::vector<std::string> fileNames;
  for (const PatchFile* file : files) fileNames.push_back(file->fileName);
  const std::vector<std::string> texts = bankDisplayNames(fileNames, GetLog());
  for (size_t i = 0; i < texts.size(); ++i)
    param->SetDisplayText(static_cast<int>(i), texts[i].c_str());
  *control = builtControl(paramIdx);
  const size_t current = static_cast<size_t>(param->Int());
  const PatchFile* file = current < files.size() ? files[current] : nullptr;
  remember(which, {param->GetDisplayText(0), file ? file->folderName : remembered(which).folder,
                   file ? file->path : std::string()});
}

void Kroma::makeSelectionListsAndMenus() {
  for (int menu = 0; menu < kLibrarianMenuCount; ++menu) {
    if (menu == kLeftPatchMenu)
      initSelectionList(kPatchSelectionListUpper, "Bank Selection List 1",
                        &mWidgets.mUpperSelectionControl, kUpperSounds);
    if (menu == kRightPatchMenu)
      initSelectionList(kPatchSelectionListLower, "Bank Selection List 2",
                        &mWidgets.mLowerSelectionControl, kLowerList);
    const LibrarianMenuPlace& place = kLibrarianMenuPlaces[menu];
    auto scaled = [this](int v) { return static_cast<int>(v * mWidgets.mGUIScale); };
    const IRECT rect(scaled(place.rect.L), scaled(place.rect.T), scaled(place.rect.R),
                     scaled(place.rect.B));
    ControlLayer* layer = new ControlLayer(place.layerId, place.layerName);
    layer->controls.Add(makeLibrarianMenu(static_cast<LibrarianMenu>(menu), this, mWidgets,
                                          mParts.mPatchLibrarian.get(), rect));
    mWidgets.mEditor->AttachLayer(layer);
    layer->Hide(!place.shown);
    mWidgets.mMenuLayers[menu] = layer;
    for (int popup = 0; popup < TabLayers::kPopups; ++popup)
      if (std::string(TabLayers::popupLayers[popup].name) == place.layerName)
        mWidgets.mTabLayers.popups[popup] = layer;
  }
  log("Librarian menus attached");
}

void Kroma::lookUpControlsSecond() {
  DisplayControls displays;
  displays.lookUp(*mParts.mUIConfigManager);
  mWidgets.mDeviceOutControl = displays.deviceOut;
  mWidgets.mDeviceInControl = displays.deviceIn;
  // The port shown, picked again, opens again: the synthesizer may have gone and come back. A
  // menu that opens lists the ports there are then: a MIDI server or a synthesizer may come late.
  for (bool input : {false, true})
    if (IControl* menu = input ? mWidgets.mDeviceInControl : mWidgets.mDeviceOutControl) {
      menu->SetReportsRepeat(true);
      menu->SetBeforePrompt([this, input] { refreshPortMenu(input); });
    }
  mWidgets.mPatchRenameControl = displays.patchRename;
  mWidgets.mNameDisplay = displays.name;
  mWidgets.mValueDisplay = displays.value;
  mWidgets.mCategoryDisplay = displays.category;
  mWidgets.mPatchDisplay = displays.patch;
  mWidgets.mCCDisplayControl = displays.cc;
  mWidgets.mBuildDisplayControl = displays.build;
  mWidgets.mMIDIOutDelayDisplayControl = displays.midiOutDelay;
  mWidgets.mLibraryControl = builtControl(kControlLibrary);
  mWidgets.mKeepSelectedBankControl = builtControl(kKeepSelectedBank);
  userEdit(mWidgets.mKeepSelectedBankControl, 1.0);
  mSelection.mKeepSelectedBank = true;
  mClock.mOverrideTempoAction = mParts.mUIConfigManager->getControlAction(kOverrideTempo);
  mWidgets.mLibrarianView = mParts.mUIConfigManager->getLibrarianView();
  for (int part = 0; part < 16; ++part) {
    mWidgets.mPartChannelControls[part] = builtControl(kMultiPartMIDICh + part);
    userEdit(mWidgets.mPartChannelControls[part],
             GetParam(kMultiPartMIDICh + part)->GetNormalized(part + 2));
  }
  log("Control set 2 attached... Resetting");
}

void Kroma::setInitialValues() {
  Reset();
  for (IControl* list : {mWidgets.mUpperSelectionControl, mWidgets.mLowerSelectionControl})
    if (list) list->SetValueFromPlug(0.0);
  mWidgets.mEditor->SetParameterFromPlug(kOverrideTempo, 1.0, false);
  mWidgets.mEditor->SetParameterFromPlug(kDatatype, 0.0, false);
  userEdit(mWidgets.mDatatypeControl, 0.0);
  GetParam(kControlProgBank)->SetClamped(1.0);
  mWidgets.mEditor->SetParameterFromPlug(kControlProgBank, 1.0, true);
  mWidgets.mEditor->SetParameterFromPlug(kQuickTab, 0.0, false);
  mSelection.mCurrentPart = GetParam(kQuickTab)->Int();
  mWidgets.mEditor->SetParameterFromPlug(kLibSyncTimer, 2.0, false);
  for (int part = 0; part < 16; ++part)
    mWidgets.mEditor->SetParameterFromPlug(kMultiPartStatus + part, part < 4 ? 1.0 : 0.0, false);
  mWidgets.mEditor->SetParameterFromPlug(kDeviceID_old, 0.0, false);
  mSelection.mCurrentPart = GetParam(kQuickTab)->Int();
}

void Kroma::showStartTexts() {
  const std::string version = versionText();
  setTextDisplay(kControlDisplayName, "Tessmar Kroma Plug-in");
  setTextDisplay(kControlDisplayValue, mParts.mDebugLogging ? version + " - 10-Oct-2020" : version);
  setTextDisplay(kControlDisplayBuild, version);
  setTextDisplay(kControlDisplayCategory, "INIT");
  setTextDisplay(kControlDisplayPatch, "-- INIT --");
  setTextDisplay(kControlDisplayCC, "---");
}

void Kroma::applyUISettings() {
  const UISettings settings{mParts.mUIColorSchemeLine, mParts.mUISizeLine, mParts.mUIFirstRunLine};
  if (settings.styleValue() >= 0)
    mWidgets.mEditor->SetParameterFromPlug(kUserInterfaceStyle, settings.styleValue(), false);
  if (settings.sizeValue() >= 0)
    mWidgets.mEditor->SetParameterFromPlug(kUserInterfaceSize, settings.sizeValue(), false);
  if (settings.firstRunNoticeDue() && mWidgets.mFirstRunLayer) {
    mWidgets.mFirstRunLayer->Hide(false);
    mParts.mFirstRunShown = true;
  }
}

void Kroma::setMIDIFilterDefaults() {
  for (int k = 0; k < 7; ++k) {
    mWidgets.mDAWFilterControls[k] = builtControl(kDAWFilterDefaults[k].param);
    userEdit(mWidgets.mDAWFilterControls[k], kDAWFilterDefaults[k].value);
    mRouting.mDAWFilterBlocked[k] = kDAWFilterDefaults[k].value != 1.0;
    mWidgets.mHWFilterControls[k] = builtControl(kHWFilterDefaults[k].param);
    userEdit(mWidgets.mHWFilterControls[k], kHWFilterDefaults[k].value);
    mRouting.mHWFilterBlocked[k] = kHWFilterDefaults[k].value != 1.0;
  }
  const struct {
    IControl* EditorWidgets::*control;
    int param;
    double value;
    std::atomic<bool>* flag;
  } switches[] = {
      {&EditorWidgets::mTrackIncomingControl, kMIDIFilterTrackIncomingMIDI, 1.0,
       &mRouting.mTrackIncomingMIDI},
      {&EditorWidgets::mDirectToHardwareControl, kMIDIFilterDirectToHardware, 1.0, nullptr},
      {&EditorWidgets::mToDAWBufferControl, kMIDIFilterToDAWBuffer, 0.0, &mRouting.mQueuedOutput},
      {&EditorWidgets::mClockPointerControl, kSendMIDIClockPointer, 0.0, &mClock.mSendClockPointer},
      {&EditorWidgets::mClockInfoControl, kSendMIDIClockInfo, 0.0, &mClock.mSendClockInfo},
  };
  for (const auto& s : switches) {
    mWidgets.*s.control = builtControl(s.param);
    userEdit(mWidgets.*s.control, s.value);
    if (s.flag) *s.flag = s.value == 1.0;
  }
}

void Kroma::refreshControls() {
  std::vector<std::pair<int, double>> values;
  for (int idx = 0; idx < NParams(); ++idx) {
    const int value = GetParam(idx)->Int();
    if (value > 0) values.emplace_back(idx, value);
  }
  mWidgets.mEditor->SetParametersFromPlug(values, false);
  if (GetParam(kGlobalLocalControl)->Value() == 0.0) mRouting.mLocalControlFlag = false;
}

void Kroma::finishStartup() {
  log("Plug-in is ready to load!");
  mainTabSwitch(0, 0);
  // Over the part's texts that the tab switch showed: a fresh instance starts on these.
  showStartTexts();
  countStateChanges();
  hostKnowsStateNow();
  mParts.mStartupComplete = true;
}

void Kroma::userEdit(IControl* control, double normalizedValue) {
  if (control) control->SetValueFromUserInput(normalizedValue);
}

IControl* Kroma::controlOf(int paramIdx) const {
  const ControlAction* action =
      mParts.mUIConfigManager ? mParts.mUIConfigManager->getControlAction(paramIdx) : nullptr;
  return action && !action->controls.empty() ? action->controls.front() : nullptr;
}

IControl* Kroma::builtControl(int paramIdx) const {
  IControl* control = controlOf(paramIdx);
  if (!control) logMissing("control of parameter " + std::to_string(paramIdx));
  return control;
}

void Kroma::logMissing(const std::string& what) const {
  TK_Log(GetLog(), "CONFIG READER: ", what + " MISSING!");
}

ControlLayer* Kroma::layerNamed(const std::string& name) const {
  if (ControlLayer* layer =
          mParts.mUIConfigManager ? mParts.mUIConfigManager->getLayer(name) : nullptr)
    return layer;
  for (int menu = 0; menu < kLibrarianMenuCount; ++menu)
    if (mWidgets.mMenuLayers[menu] && name == kLibrarianMenuPlaces[menu].layerName)
      return mWidgets.mMenuLayers[menu];
  return name == "PROGRESS" && mWidgets.mTabLayers.progress ? mWidgets.mTabLayers.progress->layer()
                                                            : nullptr;
}

IGraphics* Kroma::graphics() const {
  return mWidgets.mEditor;
}

const std::vector<std::string>& Kroma::valueList(const std::string& name) const {
  static const std::vector<std::string> none;
  return mParts.mUIConfigManager ? mParts.mUIConfigManager->getValueList(name) : none;
}
