#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

// One XML element of a generated configuration text: attributes in the order given, then
// either a text or child elements. Written back indented by two blanks a level.
namespace layout {

class Element {
 public:
  explicit Element(std::string tag) : mTag(std::move(tag)) {}
  // A comment node: written as such, passed over by every reader.
  static Element comment(std::string text);

  Element& attr(const std::string& name, const std::string& value);
  Element& attr(const std::string& name, int value) { return attr(name, std::to_string(value)); }
  // Comma-separated integers, as the layout's list attributes take them.
  Element& attr(const std::string& name, std::initializer_list<int> values);
  Element& text(std::string value);
  Element& add(Element child);
  Element& add(std::vector<Element> children);

  const std::string& tag() const { return mTag; }
  // The attribute's value; empty when it is absent.
  std::string get(const std::string& name) const;
  const std::vector<Element>& children() const { return mChildren; }
  std::vector<Element>& children() { return mChildren; }

  void write(std::ostream& out, int depth = 0) const;

 private:
  // One element inside the next down to a text, written on one line.
  bool isTextChain() const;
  void writeInline(std::ostream& out) const;

  std::string mTag;
  std::vector<std::pair<std::string, std::string>> mAttrs;
  std::string mText;
  bool mHasText = false;
  std::vector<Element> mChildren;
};

// The whole document: declaration, a comment that says where it comes from, the root.
std::string document(const Element& root, const std::string& comment);

}  // namespace layout
