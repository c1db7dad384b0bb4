#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "toolkit/plugin/editor/IDrawTypes.h"
#include "toolkit/ptrlist.h"

class IControl;
class IGraphics;

// What the graphics object's flat list and the layers do with each control.
// Widens region by a dirty control that takes part in the dirty scan (shown,
// or hidden with its ignore-hidden flag); true when the control is dirty.
bool ScanDirtyControl(IControl* control, IRECT* region);
// Draws a shown control that meets the drawing rectangle (when canDraw), and
// in every case marks it clean.
void DrawControlAndClean(IControl* control, IGraphics* graphics, const IRECT& drawRect,
                         bool canDraw);
// Shows a parameter's value on a control bound to it directly or through one
// of its aux params.
void PushValueToControl(IControl* control, int paramIdx, double normalizedValue);
// The same for every parameter the control is bound to that has a value in
// normalizedValues (by parameter index; NaN: none), in index order.
void PushValuesToControl(IControl* control, const std::vector<double>& normalizedValues);

// A node of a tree of controls shown, hidden, greyed and redrawn as a unit.
// When a layer is shown or un-greyed only its selected child follows. The
// layer owns its controls and child layers; the graphics object owns the
// top-level layers. Layers are shown and hidden on the editor thread.
class ControlLayer {
 public:
  ControlLayer(int id, std::string name);
  ~ControlLayer();
  ControlLayer(const ControlLayer&) = delete;
  ControlLayer& operator=(const ControlLayer&) = delete;

  void Hide(bool hide);
  void GrayOut(bool gray);
  void setControlsDirty();
  void setIgnoreHiddenWhenUpdatingScreen(bool flag);
  // Selects zone and greys the children of that id, for zones 10..252.
  void GrayOutCustomZone(bool gray, int zone);
  // Selects selection; for selections 200..252 greys the children above limit.
  void GrayOutUserArp(bool, int selection, int limit);
  // Selects v and shows the member v of its decade, hiding its rivals: the children whose ids
  // v's band touches (ids below 10 and 200..299 with most bands) are shown when their id is v,
  // else hidden; 200..298 shows every member it touches. Other children keep their state, and
  // a v outside every band (below 10, 109, 119 ... 199, 299) touches none.
  void showMultiLayers(int v);

  bool isDirty(IRECT* region);
  void Draw(IGraphics* graphics, IRECT* drawRect);
  // The topmost visible control under the point: children before own
  // controls, last attached first. Greyed controls are hit too.
  IControl* isHit(int x, int y);
  IControl* getControlFromParam(int paramIdx);
  // Hidden layers receive values too.
  void SetParameterFromPlug(int paramIdx, double normalizedValue, bool normalized);
  void SetParametersFromPlug(const std::vector<double>& normalizedValues);

  bool IsVisible() const { return visible; }

  int id;
  std::atomic<bool> visible{false};
  TK_PtrList<IControl> controls;
  TK_PtrList<ControlLayer> childLayers;
  std::string name;
  int selectedChildId = 0;
  bool ignoreHiddenWhenUpdatingScreen = false;

 private:
  // The ignore-hidden flag of this layer and every layer below it.
  void setIgnoreHiddenFlags(bool flag);
  // The child whose id is the selected one, or null.
  template <class Apply>
  void ForSelectedChild(Apply apply);
};
