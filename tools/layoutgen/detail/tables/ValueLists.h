#pragma once

#include <string>
#include <vector>

// The value lists of the layout: texts a musician reads for each value of a parameter, entry n
// for the value n. Menus take as many values as their list has entries.
namespace layout_tables {

struct ValueList {
  std::string name;
  std::vector<std::string> texts;
};

// Every list, in the order the layout writes them.
const std::vector<ValueList>& valueLists();

// The number of texts of a list; 0 for a name that has none.
int listSize(const std::string& name);

}  // namespace layout_tables
