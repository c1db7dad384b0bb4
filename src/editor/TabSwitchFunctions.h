#pragma once

class EditorHost;

// Shows a page of the editor, and on the sound pages one part's panel, as the main tab
// (kMainTab, pages 0 to 5) and the part tab (kQuickTab, parts 0 to 15) select, and brings the
// shown panel's variants, greyed zones, filter pictures, librarian pop-ups and name displays in
// line with the part's parameters. Works only on layers and controls; changes no parameter (the
// librarian page may select the part's program in the librarian). Runs on the editor thread
// under the plug-in's lock. Holds no state.
class TabSwitchFunctions {
 public:
  // Shows page `tab` with part `part`. paramIdx, the parameter that caused the switch, plays no
  // part.
  void mainTabSwitch(EditorHost* plugin, int paramIdx, int tab, int part);
  // Shows part `part` on the page shown and makes the value of paramIdx (the part tab) the part
  // being edited. The flag plays no part.
  void quickTabSwitch(EditorHost* plugin, int paramIdx, int part, bool);
};
