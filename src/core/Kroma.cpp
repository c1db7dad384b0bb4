#include "src/core/Kroma.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <optional>

#include "platform/bundle/Bundle.h"
#include "platform/datafolder/DataFolder.h"
#include "src/config/ParameterIds.h"
#include "src/core/DebuggerOutput.h"
#include "src/core/EditorRequests.h"
#include "src/core/KromaDialogs.h"
#include "src/core/PatchManager.h"
#include "src/core/StartupSettings.h"
#include "src/core/detail/HostMessageWorker.h"
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
  ControlLayer* Kroma::*field;
};
constexpr LayerRow kOwnLayers[] = {
    {"patchLibrarian", &Kroma::mLibrarianLayer},
    {"patchRename", &Kroma::mPatchRenameLayer},
    {"aboutWindow", &Kroma::mAboutLayer},
    {"firstRunNotification", &Kroma::mFirstRunLayer},
    {"bankPatchConflictWindow", &Kroma::mBankPatchConflictLayer},
    {"midiFilterSettings", &Kroma::mMIDIFilterSettingsLayer},
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
    mTimeInfo.mTempo = 120.0;
    mTimeInfo.mSamplePos = mTimeInfo.mPPQPos = mTimeInfo.mLastBar = -1.0;
    mTimeInfo.mCycleStart = mTimeInfo.mCycleEnd = -1.0;
    mTimeInfo.mNumerator = mTimeInfo.mDenominator = 4;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    mSampleRate = GetSampleRate();
    openDataFolder();
    readSettingsFiles();
    log("INITIALIZATION STARTED!");
    SetLatency(kLatency);
    log("Data folder located at " + getDataFolder());
    initialize(instanceInfo, 0, numParams, kChannelIO, 0, kEffectName, kProductName, kVendorName,
               kVersion, kUniqueID, kMakerID, kLatency, true, true, true, 0);
    addNonAutomateParamCount(numParams);
    mPatchManager = std::make_unique<PatchManager>(this);
    log("PATCH MANAGER INITIALIZED...");
    makeLibrarian();
    makeEditor();
    registerDialogResources();
    lookUpLayers();
    if (mTabLayers.randomize) mTabLayers.randomize->GrayOut(true);
    for (ControlLayer* layer :
         {mPatchRenameLayer, mTabLayers.categoryLimit, mTabLayers.searchField})
      hide(layer);
    mEditor->AttachBackground(kBackgroundId, kBackgroundFile, mGUIScale);
    AttachGraphics(mEditor);
    log("Layers attached...");
    mTabLayers.progress = makeProgressLayer(*mUIConfigManager);
    mMIDIMessageManager = std::make_unique<MIDIMessageManager>(*this, *mPatchLibrarian, GetLog());
    mHostMessages = std::make_unique<HostMessageWorker>(
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
    mEditor->AttachLayer(mTabLayers.progress->layer());
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
  mLogFilePath = DataFolder::logFile();
  SetLog(std::make_unique<DebuggerOutput>(mLogFilePath));
  mDebugLogging = GetLog()->IsOn();
}

void Kroma::readSettingsFiles() {
  mUISettingsPath = DataFolder::uiSettingsFile();
  const UISettings settings = UISettings::read(mUISettingsPath);
  mUIColorSchemeLine = settings.colorSchemeLine;
  mUISizeLine = settings.sizeLine;
  mUIFirstRunLine = settings.firstRunLine;
  mGUIScale = settings.guiScale();
  mColorScheme = settings.colorScheme();
  SampleNames samples = SampleNames::read(DataFolder::samplesFile());
  mSampleNames = std::move(samples.names);
  mSamplesFileRead = samples.fileRead;
}

void Kroma::makeLibrarian() {
  mPatchLibrarian = std::make_unique<PatchLibrarian>();
  mPatchLibrarian->setLog(GetLog());
  log("PATCH LIBRARIAN INITIALIZED...");
  mPatchLibrarian->upperFileIndex = 0;
  mPatchLibrarian->lowerFileIndex = 0;
  mPatchLibrarian->loadPatchesFromFilesystem(getPatchesFolderStr());
  log("PATCH LIBRARIAN COMPLETED FILE LOADING...");
}

void Kroma::makeEditor() {
  mEditor = MakeGraphics(this, static_cast<int>(kEditorWidth * mGUIScale),
                         static_cast<int>(kEditorHeight * mGUIScale), 0);
  mEditorRequests = new EditorRequests(this);
  mEditor->AttachControl(mEditorRequests);
  log("STARTING USER INTERFACE CONFIGURATION...");
  auto config = std::make_unique<EditorConfigManager>();
  config->setLog(GetLog());
  config->setResourceLoader(resourcesThrough(mEditor));
  mUIConfigManager = std::move(config);
  mUIConfigManager->readUIConfig(mEditor, this, mPatchLibrarian.get(), mColorScheme, mGUIScale);
  initPositionalEffectParams();
  log("USER INTERFACE CONFIGURATION COMPLETED... BUILDING UI");
}

// No control shows them, so the layout gives them no range: without one they would hold only
// 0..1, and every effect setting would be lost on its way from one dump into the next.
void Kroma::initPositionalEffectParams() {
  for (int first : {kEffect1Param01, kEffect2Param01})
    for (int n = 0; n < sound_dump::kEffectParams; ++n)
      for (int part = 0; part < 16; ++part) {
        const std::string name = "Effect " + std::string(first == kEffect1Param01 ? "1" : "2") +
                                 " Position " + std::to_string(n + 1);
        GetParam(first + 16 * n + part)->InitInt(name.c_str(), 0, 0, 127);
      }
}

void Kroma::lookUpLayers() {
  mTabLayers.lookUp(*mUIConfigManager);
  for (const LayerRow& row : kOwnLayers) {
    this->*row.field = mUIConfigManager->getLayer(row.name);
    if (!(this->*row.field)) logMissing(std::string("layer ") + row.name);
  }
  applyStartVisibility();
}

// The editor starts on the Multi page with part 1's bank panel; every dialog and switched panel
// is hidden.
void Kroma::applyStartVisibility() {
  const TabLayers& layers = mTabLayers;
  show(layers.root);
  show(layers.multiModeSettingsPage1);
  hideAll(layers.filterPictures[0]);
  hideAll(layers.filterPictures[1]);
  for (int part = 0; part < 16; ++part) show(layers.bankAndProgram[part], part == 0);
  hide(layers.bankAndProgramMulti);
  hide(layers.saveChangesLayer);
  hideAll(layers.multiSettingsPart);
  for (ControlLayer* layer :
       {layers.discardChangesLayerRight, layers.keepBankOpenLayer, mAboutLayer, mFirstRunLayer,
        mBankPatchConflictLayer, mMIDIFilterSettingsLayer})
    hide(layer);
  hideAll(layers.effectPanels);
}

void Kroma::takeFirstSnapshot() {
  MakeDefaultPreset("-", 64);
  ByteChunk body;
  SerializeState2(&body, false);
  mPatchManager->init(body);
}

void Kroma::lookUpControlsFirst() {
  mDatatypeControl = builtControl(kDatatype);
  mPatchSearchControl = builtControl(kPatchSearch);
  mProgBankControl = builtControl(kControlProgBank);
  mQuickTabAction = mUIConfigManager->getControlAction(kQuickTab);
  mMainTabAction = mUIConfigManager->getControlAction(kMainTab);
  log("Control set 1 attached");
}

void Kroma::initSelectionList(int paramIdx, const char* name, IControl** control, std::string* text,
                              std::string* folder) {
  const std::vector<PatchFile*>& files = mPatchLibrarian->soundFiles;
  IParam* param = GetParam(paramIdx);
  param->InitEnum(name, 0, static_cast<int>(files.size()), "", "", -1, -1);
  std::vector<std::string> fileNames;
  for (const PatchFile* file : files) fileNames.push_back(file->fileName);
  const std::vector<std::string> texts = bankDisplayNames(fileNames, GetLog());
  for (size_t i = 0; i < texts.size(); ++i)
    param->SetDisplayText(static_cast<int>(i), texts[i].c_str());
  *control = builtControl(paramIdx);
  *text = param->GetDisplayText(0);
  const size_t current = static_cast<size_t>(param->Int());
  if (current < files.size()) *folder = files[current]->folderName;
}

void Kroma::makeSelectionListsAndMenus() {
  for (int menu = 0; menu < kLibrarianMenuCount; ++menu) {
    if (menu == kLeftPatchMenu)
      initSelectionList(kPatchSelectionListUpper, "Bank Selection List 1", &mUpperSelectionControl,
                        &mUpperSelectionText, &mUpperSelectionFolder);
    if (menu == kRightPatchMenu)
      initSelectionList(kPatchSelectionListLower, "Bank Selection List 2", &mLowerSelectionControl,
                        &mLowerSelectionText, &mLowerSelectionFolder);
    const LibrarianMenuPlace& place = kLibrarianMenuPlaces[menu];
    auto scaled = [this](int v) { return static_cast<int>(v * mGUIScale); };
    const IRECT rect(scaled(place.rect.L), scaled(place.rect.T), scaled(place.rect.R),
                     scaled(place.rect.B));
    ControlLayer* layer = new ControlLayer(place.layerId, place.layerName);
    layer->controls.Add(
        makeLibrarianMenu(static_cast<LibrarianMenu>(menu), this, mPatchLibrarian.get(), rect));
    mEditor->AttachLayer(layer);
    layer->Hide(!place.shown);
    mMenuLayers[menu] = layer;
    for (int popup = 0; popup < TabLayers::kPopups; ++popup)
      if (std::string(TabLayers::popupLayers[popup].name) == place.layerName)
        mTabLayers.popups[popup] = layer;
  }
  log("Librarian menus attached");
}

void Kroma::lookUpControlsSecond() {
  DisplayControls displays;
  displays.lookUp(*mUIConfigManager);
  mDeviceOutControl = displays.deviceOut;
  mDeviceInControl = displays.deviceIn;
  mPatchRenameControl = displays.patchRename;
  mNameDisplay = displays.name;
  mValueDisplay = displays.value;
  mCategoryDisplay = displays.category;
  mPatchDisplay = displays.patch;
  mCCDisplayControl = displays.cc;
  mBuildDisplayControl = displays.build;
  mMIDIOutDelayDisplayControl = displays.midiOutDelay;
  mLibraryControl = builtControl(kControlLibrary);
  mKeepSelectedBankControl = builtControl(kKeepSelectedBank);
  userEdit(mKeepSelectedBankControl, 1.0);
  mKeepSelectedBank = true;
  mOverrideTempoAction = mUIConfigManager->getControlAction(kOverrideTempo);
  mLibrarianView = mUIConfigManager->getLibrarianView();
  for (int part = 0; part < 16; ++part) {
    mPartChannelControls[part] = builtControl(kMultiPartMIDICh + part);
    userEdit(mPartChannelControls[part],
             GetParam(kMultiPartMIDICh + part)->GetNormalized(part + 2));
  }
  log("Control set 2 attached... Resetting");
}

void Kroma::setInitialValues() {
  Reset();
  for (IControl* list : {mUpperSelectionControl, mLowerSelectionControl})
    if (list) list->SetValueFromPlug(0.0);
  mEditor->SetParameterFromPlug(kOverrideTempo, 1.0, false);
  mEditor->SetParameterFromPlug(kDatatype, 0.0, false);
  userEdit(mDatatypeControl, 0.0);
  GetParam(kControlProgBank)->SetClamped(1.0);
  mEditor->SetParameterFromPlug(kControlProgBank, 1.0, true);
  mEditor->SetParameterFromPlug(kQuickTab, 0.0, false);
  mCurrentPart = GetParam(kQuickTab)->Int();
  mEditor->SetParameterFromPlug(kLibSyncTimer, 2.0, false);
  for (int part = 0; part < 16; ++part)
    mEditor->SetParameterFromPlug(kMultiPartStatus + part, part < 4 ? 1.0 : 0.0, false);
  mEditor->SetParameterFromPlug(kDeviceID_old, 0.0, false);
  mCurrentPart = GetParam(kQuickTab)->Int();
}

void Kroma::applyUISettings() {
  const UISettings settings{mUIColorSchemeLine, mUISizeLine, mUIFirstRunLine};
  if (settings.styleValue() >= 0)
    mEditor->SetParameterFromPlug(kUserInterfaceStyle, settings.styleValue(), false);
  if (settings.sizeValue() >= 0)
    mEditor->SetParameterFromPlug(kUserInterfaceSize, settings.sizeValue(), false);
  if (settings.firstRunNoticeDue() && mFirstRunLayer) {
    mFirstRunLayer->Hide(false);
    mFirstRunShown = true;
  }
}

void Kroma::setMIDIFilterDefaults() {
  for (int k = 0; k < 7; ++k) {
    mDAWFilterControls[k] = builtControl(kDAWFilterDefaults[k].param);
    userEdit(mDAWFilterControls[k], kDAWFilterDefaults[k].value);
    mDAWFilterBlocked[k] = kDAWFilterDefaults[k].value != 1.0;
    mHWFilterControls[k] = builtControl(kHWFilterDefaults[k].param);
    userEdit(mHWFilterControls[k], kHWFilterDefaults[k].value);
    mHWFilterBlocked[k] = kHWFilterDefaults[k].value != 1.0;
  }
  const struct {
    IControl* Kroma::*control;
    int param;
    double value;
    std::atomic<bool>* flag;
  } switches[] = {
      {&Kroma::mTrackIncomingControl, kMIDIFilterTrackIncomingMIDI, 1.0, &mTrackIncomingMIDI},
      {&Kroma::mDirectToHardwareControl, kMIDIFilterDirectToHardware, 1.0, nullptr},
      {&Kroma::mToDAWBufferControl, kMIDIFilterToDAWBuffer, 0.0, &mQueuedOutput},
      {&Kroma::mClockPointerControl, kSendMIDIClockPointer, 0.0, &mSendClockPointer},
      {&Kroma::mClockInfoControl, kSendMIDIClockInfo, 0.0, &mSendClockInfo},
  };
  for (const auto& s : switches) {
    this->*s.control = builtControl(s.param);
    userEdit(this->*s.control, s.value);
    if (s.flag) *s.flag = s.value == 1.0;
  }
}

void Kroma::refreshControls() {
  std::vector<std::pair<int, double>> values;
  for (int idx = 0; idx < NParams(); ++idx) {
    const int value = GetParam(idx)->Int();
    if (value > 0) values.emplace_back(idx, value);
  }
  mEditor->SetParametersFromPlug(values, false);
  if (GetParam(kGlobalLocalControl)->Value() == 0.0) mLocalControlFlag = false;
}

void Kroma::finishStartup() {
  log("Plug-in is ready to load!");
  mainTabSwitch(0, 0);
  mStartupComplete = true;
}

void Kroma::userEdit(IControl* control, double normalizedValue) {
  if (control) control->SetValueFromUserInput(normalizedValue);
}

IControl* Kroma::controlOf(int paramIdx) const {
  const ControlAction* action =
      mUIConfigManager ? mUIConfigManager->getControlAction(paramIdx) : nullptr;
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
  if (ControlLayer* layer = mUIConfigManager ? mUIConfigManager->getLayer(name) : nullptr)
    return layer;
  for (int menu = 0; menu < kLibrarianMenuCount; ++menu)
    if (mMenuLayers[menu] && name == kLibrarianMenuPlaces[menu].layerName) return mMenuLayers[menu];
  return name == "PROGRESS" && mTabLayers.progress ? mTabLayers.progress->layer() : nullptr;
}

IGraphics* Kroma::graphics() const {
  return mEditor;
}

const std::vector<std::string>& Kroma::valueList(const std::string& name) const {
  static const std::vector<std::string> none;
  return mUIConfigManager ? mUIConfigManager->getValueList(name) : none;
}
