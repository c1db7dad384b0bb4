#pragma once

// A bidirectional link between two parameters, enabled by a switch parameter.
// {-1, -1, -1} means no link.
struct LinkInfo {
  int linked = -1;  // the partner parameter's index
  int linkSwitch = -1;
  int offset = -1;  // -1 when the layout gives none

  bool operator==(const LinkInfo& o) const {
    return linked == o.linked && linkSwitch == o.linkSwitch && offset == o.offset;
  }
};
