#include "src/config/ControlMaps.h"

#include <cstddef>
#include <initializer_list>

#include "src/config/ControlAction.h"
#include "src/config/ParameterIds.h"

namespace {

// Descends one level without inserting; null when the key is absent.
template <typename Level>
auto nextLevel(const std::map<int, Level>& map, int key) -> const Level* {
  const auto it = map.find(key);
  return it == map.end() ? nullptr : &it->second;
}

IControl* findIn(const ccControlMap* level, int key) {
  if (!level) return nullptr;
  const auto it = level->map.find(key);
  return it == level->map.end() ? nullptr : it->second;
}

const ccControlMap* descend(const controlID3* level, int key) {
  return level ? nextLevel(level->map, key) : nullptr;
}
const controlID3* descend(const controlID2* level, int key) {
  return level ? nextLevel(level->map, key) : nullptr;
}
const controlID2* descend(const controlID1* level, int key) {
  return level ? nextLevel(level->map, key) : nullptr;
}

struct VariantGroup {
  int variant;
  std::initializer_list<int> params;
};

const VariantGroup effectVariants[] = {
    {1, {kFX1ChorusSpeed, kFX1ChorusDepth, kFX2ChorusSpeed, kFX2ChorusDepth}},
    {2,
     {kFX1FlangerSpeed, kFX1FlangerDepht, kFX1FlangerFeedBack, kFX1FlangerPolarity,
      kFX2FlangerSpeed, kFX2FlangerDepht, kFX2FlangerFeedBack, kFX2FlangerPolarity}},
    {3,
     {kFX1PhaserSpeed, kFX1PhaserDepth, kFX1PhaserCenter, kFX1PhaserSpacing, kFX1PhaserFeedback,
      kFX1PhaserPolarity, kFX2PhaserSpeed, kFX2PhaserDepth, kFX2PhaserCenter, kFX2PhaserSpacing,
      kFX2PhaserFeedback, kFX2PhaserPolarity}},
    {4,
     {kFX1OverdriveDrive, kFX1OverdrivePostGain, kFX1OverdriveCutoff, kFX1OverdriveCurve,
      kFX2OverdriveDrive, kFX2OverdrivePostGain, kFX2OverdriveCutoff, kFX2OverdriveCurve}},
    {5,
     {kFX1TripleFXSampleHold, kFX1TripleFXOverdrive, kFX1TripleFXChorusMix, kFX1TripleFXSpeed,
      kFX1TripleFXDepth, kFX2TripleFXSampleHold, kFX2TripleFXOverdrive, kFX2TripleFXChorusMix,
      kFX2TripleFXSpeed, kFX2TripleFXDepth}},
    {6, {kFX2DelayLength, kFX2DelaySpread, kFX2DelayFeedback, kFX2DelayPolarity, kFX2DelayCutoff}},
    {7,
     {kFX2ReverbHighPass, kFX2ReverbLowppass, kFX2ReverbDiffusion, kFX2ReverbSize, kFX2ReverbShape,
      kFX2ReverbDecay, kFX2ReverbDamping}},
};

constexpr int partsPerBlock = 16;

}  // namespace

void FiveKeyControlMap::add(int k1, int k2, int k3, int k4, int k5, IControl* control) {
  mMap[k1].map[k2].map[k3].map[k4].map[k5] = control;
}

IControl* FiveKeyControlMap::findControl(int k1, int k2, int k3, int k4, int k5) const {
  return findIn(descend(descend(descend(nextLevel(mMap, k1), k2), k3), k4), k5);
}

void SysExControlContainer::addToControlMap(const unsigned char* fourBytes, unsigned char variant,
                                            IControl* control) {
  add(fourBytes[0], fourBytes[1], fourBytes[2], fourBytes[3], variant, control);
}

void NRPNControlContainer::addToControlMap(const ControlAction* action, IControl* control) {
  add(action->channelKey, action->nrpnNumber1, action->nrpnNumber2, action->nrpnNumber3,
      action->subKey, control);
}

bool SysExControlContainer::addressOf(const std::vector<int>& message, int changingByte,
                                      unsigned char* fourBytes) {
  const size_t first = changingByte == 7 ? 2 : 3;
  if (message.size() < first + 4) return false;
  for (size_t i = 0; i < 4; ++i) fourBytes[i] = static_cast<unsigned char>(message[first + i]);
  return true;
}

void CCControlContainer::addToControlMap(int channelKey, int ccNumber, int subKey,
                                         IControl* control) {
  mMap[channelKey].map[ccNumber].map[subKey] = control;
}

IControl* CCControlContainer::findControl(int channelKey, int ccNumber, int subKey) const {
  return findIn(descend(nextLevel(mMap, channelKey), ccNumber), subKey);
}

int ProgramByPartsMap::get(int a, int b, int c) const {
  const auto first = mMap.find(a);
  if (first == mMap.end()) return 0;
  const auto second = first->second.find(b);
  if (second == first->second.end()) return 0;
  const auto third = second->second.find(c);
  return third == second->second.end() ? 0 : third->second;
}

int sysexEffectVariant(int paramIdx) {
  for (const VariantGroup& group : effectVariants)
    for (int first : group.params)
      if (paramIdx >= first && paramIdx < first + partsPerBlock) return group.variant;
  return 0;
}
