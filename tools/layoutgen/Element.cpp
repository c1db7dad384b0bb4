#include "tools/layoutgen/detail/Element.h"

#include <sstream>

namespace layout {
namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

Element Element::comment(std::string text) {
  Element e("!--");
  e.mText = std::move(text);
  return e;
}

Element& Element::attr(const std::string& name, const std::string& value) {
  mAttrs.emplace_back(name, value);
  return *this;
}

Element& Element::attr(const std::string& name, std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text += (text.empty() ? "" : ",") + std::to_string(v);
  return attr(name, text);
}

Element& Element::text(std::string value) {
  mText = std::move(value);
  mHasText = true;
  return *this;
}

Element& Element::add(Element child) {
  mChildren.push_back(std::move(child));
  return *this;
}

Element& Element::add(std::vector<Element> children) {
  for (Element& child : children) mChildren.push_back(std::move(child));
  return *this;
}

std::string Element::get(const std::string& name) const {
  for (const auto& a : mAttrs)
    if (a.first == name) return a.second;
  return std::string();
}

bool Element::isTextChain() const {
  if (mHasText) return mTag != "!--";
  return mChildren.size() == 1 && mChildren.front().isTextChain();
}

void Element::writeInline(std::ostream& out) const {
  out << '<' << mTag;
  for (const auto& a : mAttrs) out << ' ' << a.first << "=\"" << escaped(a.second) << '"';
  out << '>';
  if (mHasText)
    out << escaped(mText);
  else
    mChildren.front().writeInline(out);
  out << "</" << mTag << '>';
}

void Element::write(std::ostream& out, int depth) const {
  const std::string indent(static_cast<size_t>(2 * depth), ' ');
  if (mTag == "!--") {
    out << indent << "<!-- " << mText << " -->\n";
    return;
  }
  if (isTextChain()) {
    out << indent;
    writeInline(out);
    out << '\n';
    return;
  }
  out << indent << '<' << mTag;
  for (const auto& a : mAttrs) out << ' ' << a.first << "=\"" << escaped(a.second) << '"';
  if (mChildren.empty()) {
    out << "/>\n";
  } else {
    out << ">\n";
    for (const Element& child : mChildren) child.write(out, depth + 1);
    out << indent << "</" << mTag << ">\n";
  }
}

std::string document(const Element& root, const std::string& comment) {
  std::ostringstream out;
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- " << comment << " -->\n";
  root.write(out);
  return out.str();
}

}  // namespace layout
