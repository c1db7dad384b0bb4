#pragma once

#include "tools/genimages/Art.h"

// Control tiles, the same in both styles.
void paintKnob(Canvas& c, const look::Palette& p, const Frame& f);
void paintBigKnob(Canvas& c, const look::Palette& p, const Frame& f);
void paintKey(Canvas& c, const look::Palette& p, const Frame& f);
void paintDotKey(Canvas& c, const look::Palette& p, const Frame& f);
void paintMute(Canvas& c, const look::Palette& p, const Frame& f);
void paintMidiLed(Canvas& c, const look::Palette& p, const Frame& f);
void paintMidiLedInverse(Canvas& c, const look::Palette& p, const Frame& f);
void paintArpPower(Canvas& c, const look::Palette& p, const Frame& f);
void paintDataType(Canvas& c, const look::Palette& p, const Frame& f);
void paintPatchUp(Canvas& c, const look::Palette& p, const Frame& f);
void paintPatchDown(Canvas& c, const look::Palette& p, const Frame& f);
void paintSearch(Canvas& c, const look::Palette& p, const Frame& f);
void paintOffOn(Canvas& c, const look::Palette& p, const Frame& f);
void paintCheckbox(Canvas& c, const look::Palette& p, const Frame& f);
void paintSmallLedKey(Canvas& c, const look::Palette& p, const Frame& f);
void paintLockWhite(Canvas& c, const look::Palette& p, const Frame& f);
void paintLockBlack(Canvas& c, const look::Palette& p, const Frame& f);
void paintGears(Canvas& c, const look::Palette& p, const Frame& f);
void paintFaderVertical(Canvas& c, const look::Palette& p, const Frame& f);
void paintFaderHorizontal(Canvas& c, const look::Palette& p, const Frame& f);
void paintTabStrip(Canvas& c, const look::Palette& p, const Frame& f);
void paintPartStrip(Canvas& c, const look::Palette& p, const Frame& f);
