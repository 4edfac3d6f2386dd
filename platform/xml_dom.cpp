#include "platform/xml_dom.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pugixml.hpp>
#include <sstream>

#include "platform/file_replace.h"
#include "platform/text_encoding.h"

namespace plat {

namespace {

// Fragment mode keeps stray top-level text so Parse can reject it.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments |
                                   pugi::parse_pi | pugi::parse_doctype | pugi::parse_fragment;

std::string ToUtf8(std::string_view text) { return Cp1252ToUtf8(text); }
std::string FromUtf8(std::string_view text) { return Utf8ToCp1252(text); }

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(std::string text) {
  auto first = std::find_if_not(text.begin(), text.end(), IsXmlSpace);
  auto last = std::find_if_not(text.rbegin(), text.rend(), IsXmlSpace).base();
  if (first >= last) return {};
  return std::string(first, last);
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

void CollectText(const pugi::xml_node& node, std::string& out) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    switch (child.type()) {
      case pugi::node_pcdata:
      case pugi::node_cdata:
        out += child.value();
        break;
      case pugi::node_element:
        CollectText(child, out);
        break;
      default:
        break;
    }
  }
}

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

// One iconv conversion into UTF-8, closed on every path.
bool IconvToUtf8(const std::string& from, std::string_view in, std::string& out, std::string& error) {
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    error = "unsupported encoding \"" + from + "\"";
    return false;
  }
  std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
  out.clear();
  std::string input(in);
  char* inPtr = input.data();
  size_t inLeft = input.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      error = "byte at offset " + std::to_string(input.size() - inLeft) + " is not valid " + from;
      return false;
    }
  }
  return true;
}

// The encoding named by an XML declaration at the start of ASCII-compatible
// text, empty when there is none.
std::string DeclaredEncoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return {};
  size_t end = text.find("?>");
  std::string_view decl = text.substr(0, end == std::string_view::npos ? text.size() : end);
  size_t pos = decl.find("encoding");
  if (pos == std::string_view::npos) return {};
  pos += 8;
  while (pos < decl.size() && IsXmlSpace(decl[pos])) ++pos;
  if (pos >= decl.size() || decl[pos] != '=') return {};
  ++pos;
  while (pos < decl.size() && IsXmlSpace(decl[pos])) ++pos;
  if (pos >= decl.size() || (decl[pos] != '"' && decl[pos] != '\'')) return {};
  char quote = decl[pos++];
  size_t close = decl.find(quote, pos);
  if (close == std::string_view::npos) return {};
  return std::string(decl.substr(pos, close - pos));
}

// The offset of the first byte that breaks UTF-8 or is a control character XML does not allow (all below
// 0x20 but tab, line feed and carriage return); npos when there is none.
std::size_t FirstBadXmlByte(std::string_view utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      if (lead < 0x20 && lead != '\t' && lead != '\n' && lead != '\r') return i;
      ++i;
      continue;
    }
    std::size_t extra = 0;
    std::uint32_t cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { extra = 1; cp = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { extra = 3; cp = lead & 0x07; }
    else return i;
    if (i + extra >= utf8.size()) return i;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode are no UTF-8.
    if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
      return i;
    i += extra + 1;
  }
  return std::string_view::npos;
}

// Bytes that are no UTF-8, or control characters, in a document read as UTF-8: it was damaged.
bool CheckUtf8Document(std::string_view utf8, std::string& error) {
  const std::size_t bad = FirstBadXmlByte(utf8);
  if (bad == std::string_view::npos) return true;
  error = "the document holds a byte that is no character at offset " + std::to_string(bad);
  return false;
}

}  // namespace

bool DecodeXmlBytes(std::string_view bytes, std::string& utf8, std::string& error) {
  error.clear();
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    if (!CheckUtf8Document(bytes.substr(3), error)) return false;
    utf8.assign(bytes.substr(3));
    return true;
  }
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFF\xFE") return IconvToUtf8("UTF-16LE", bytes.substr(2), utf8, error);
  if (bytes.size() >= 2 && bytes.substr(0, 2) == "\xFE\xFF") return IconvToUtf8("UTF-16BE", bytes.substr(2), utf8, error);
  // UTF-16 without a byte-order mark shows itself in the first character, "<".
  if (bytes.substr(0, 4) == std::string_view("<\0?\0", 4)) return IconvToUtf8("UTF-16LE", bytes, utf8, error);
  if (bytes.substr(0, 4) == std::string_view("\0<\0?", 4)) return IconvToUtf8("UTF-16BE", bytes, utf8, error);
  std::string encoding = Lower(DeclaredEncoding(bytes));
  if (encoding.empty() || encoding == "utf-8" || encoding == "utf8") {
    if (!CheckUtf8Document(bytes, error)) return false;
    utf8.assign(bytes);
    return true;
  }
  // Our own table keeps the five bytes iconv refuses, so no byte is lost.
  if (encoding == "windows-1252" || encoding == "cp1252" || encoding == "x-cp1252") {
    utf8 = Cp1252ToUtf8(bytes);
    return true;
  }
  return IconvToUtf8(encoding, bytes, utf8, error);
}

// ---------------------------------------------------------------- XmlNode

XmlNode::XmlNode(const pugi::xml_node& node) : m_node(node.internal_object()) {}

pugi::xml_node XmlNode::Raw() const { return pugi::xml_node(m_node); }

XmlNodeType XmlNode::Type() const {
  switch (Raw().type()) {
    case pugi::node_null: return XmlNodeType::Null;
    case pugi::node_document: return XmlNodeType::Document;
    case pugi::node_element: return XmlNodeType::Element;
    case pugi::node_pcdata: return XmlNodeType::Text;
    case pugi::node_cdata: return XmlNodeType::CData;
    case pugi::node_comment: return XmlNodeType::Comment;
    case pugi::node_pi: return XmlNodeType::ProcessingInstruction;
    case pugi::node_declaration: return XmlNodeType::Declaration;
    default: return XmlNodeType::Other;
  }
}

std::string XmlNode::Name() const {
  switch (Type()) {
    case XmlNodeType::Element:
    case XmlNodeType::ProcessingInstruction:
    case XmlNodeType::Declaration: return FromUtf8(Raw().name());
    case XmlNodeType::Text: return "#text";
    case XmlNodeType::CData: return "#cdata-section";
    case XmlNodeType::Comment: return "#comment";
    case XmlNodeType::Document: return "#document";
    default: return {};
  }
}

std::string XmlNode::Text() const {
  pugi::xml_node node = Raw();
  std::string text;
  switch (node.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi: text = node.value(); break;
    case pugi::node_element:
    case pugi::node_document: CollectText(node, text); break;
    default: break;
  }
  return FromUtf8(Trim(std::move(text)));
}

bool XmlNode::SetText(std::string_view text) {
  pugi::xml_node node = Raw();
  if (node.type() != pugi::node_element) return false;
  while (node.first_child()) node.remove_child(node.first_child());
  if (text.empty()) return true;
  return node.append_child(pugi::node_pcdata).set_value(ToUtf8(text).c_str());
}

std::string XmlNode::Xml() const {
  if (IsNull()) return {};
  StringWriter writer;
  Raw().print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return FromUtf8(writer.text);
}

std::vector<XmlNode> XmlNode::ChildNodes() const {
  std::vector<XmlNode> out;
  for (pugi::xml_node child = Raw().first_child(); child; child = child.next_sibling()) out.emplace_back(child);
  return out;
}

std::vector<XmlNode> XmlNode::ChildElements() const {
  std::vector<XmlNode> out;
  for (pugi::xml_node child = Raw().first_child(); child; child = child.next_sibling())
    if (child.type() == pugi::node_element) out.emplace_back(child);
  return out;
}

XmlNode XmlNode::Child(std::string_view name) const {
  return XmlNode(Raw().child(ToUtf8(name).c_str()));
}

bool XmlNode::ChildText(std::string_view name, std::string& out) const {
  XmlNode child = Child(name);
  if (!child) return false;
  out = child.Text();
  return true;
}

XmlNode XmlNode::Parent() const { return XmlNode(Raw().parent()); }

bool XmlNode::HasAttribute(std::string_view name) const {
  return static_cast<bool>(Raw().attribute(ToUtf8(name).c_str()));
}

std::string XmlNode::Attribute(std::string_view name) const {
  std::string out;
  GetAttribute(name, out);
  return out;
}

bool XmlNode::GetAttribute(std::string_view name, std::string& out) const {
  pugi::xml_attribute attr = Raw().attribute(ToUtf8(name).c_str());
  if (!attr) return false;
  out = FromUtf8(attr.value());
  return true;
}

bool XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  pugi::xml_node node = Raw();
  if (node.type() != pugi::node_element && node.type() != pugi::node_declaration) return false;
  std::string utf8Name = ToUtf8(name);
  pugi::xml_attribute attr = node.attribute(utf8Name.c_str());
  if (!attr) attr = node.append_attribute(utf8Name.c_str());
  return attr && attr.set_value(ToUtf8(value).c_str());
}

std::vector<std::pair<std::string, std::string>> XmlNode::Attributes() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (pugi::xml_attribute attr : Raw().attributes()) out.emplace_back(FromUtf8(attr.name()), FromUtf8(attr.value()));
  return out;
}

std::vector<XmlNode> XmlNode::SelectNodes(std::string_view xpath) const {
  std::vector<XmlNode> out;
  if (IsNull()) return out;
  try {
    pugi::xpath_node_set set = Raw().select_nodes(ToUtf8(xpath).c_str());
    for (const pugi::xpath_node& hit : set)
      if (hit.node()) out.emplace_back(hit.node());
  } catch (const std::exception&) {
    out.clear();
  }
  return out;
}

XmlNode XmlNode::SelectSingleNode(std::string_view xpath) const {
  if (IsNull()) return {};
  try {
    pugi::xpath_node hit = Raw().select_node(ToUtf8(xpath).c_str());
    return XmlNode(hit.node());
  } catch (const std::exception&) {
    return {};
  }
}

XmlNode XmlNode::AppendElement(std::string_view name) {
  pugi::xml_node node = Raw();
  if (node.type() != pugi::node_element && node.type() != pugi::node_document) return {};
  return XmlNode(node.append_child(ToUtf8(name).c_str()));
}

XmlNode XmlNode::AppendTextElement(std::string_view name, std::string_view text) {
  XmlNode element = AppendElement(name);
  if (element) element.SetText(text);
  return element;
}

XmlNode XmlNode::AppendComment(std::string_view text) {
  pugi::xml_node node = Raw();
  if (node.type() != pugi::node_element && node.type() != pugi::node_document) return {};
  pugi::xml_node comment = node.append_child(pugi::node_comment);
  comment.set_value(ToUtf8(text).c_str());
  return XmlNode(comment);
}

XmlNode XmlNode::AppendCopy(const XmlNode& source) {
  pugi::xml_node node = Raw();
  if (source.IsNull() || (node.type() != pugi::node_element && node.type() != pugi::node_document)) return {};
  if (source.Type() == XmlNodeType::Document) return {};
  return XmlNode(node.append_copy(source.Raw()));
}

bool XmlNode::RemoveChild(const XmlNode& child) { return Raw().remove_child(child.Raw()); }

// ------------------------------------------------------------ XmlDocument

XmlDocument::XmlDocument() : m_doc(std::make_unique<pugi::xml_document>()) {}
XmlDocument::~XmlDocument() = default;
XmlDocument::XmlDocument(XmlDocument&&) noexcept = default;
XmlDocument& XmlDocument::operator=(XmlDocument&&) noexcept = default;

void XmlDocument::Clear() { m_doc->reset(); }

bool XmlDocument::Parse(std::string utf8) {
  m_doc->reset();
  m_parseError.clear();
  pugi::xml_parse_result result =
      m_doc->load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    m_parseError = std::string(result.description()) + " at offset " + std::to_string(result.offset);
    m_doc->reset();
    return false;
  }
  // One document element and no text beside it, as a DOM parser demands.
  int elements = 0;
  for (pugi::xml_node child = m_doc->first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element) ++elements;
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) elements = 2;
  }
  if (elements != 1) {
    m_parseError = elements == 0 ? "no document element" : "text or a second element outside the document element";
    m_doc->reset();
    return false;
  }
  return true;
}

bool XmlDocument::LoadXml(std::string_view text) { return Parse(Cp1252ToUtf8(text)); }

bool XmlDocument::LoadBytes(std::string_view bytes) {
  std::string utf8;
  std::string error;
  if (!DecodeXmlBytes(bytes, utf8, error)) {
    m_doc->reset();
    m_parseError = error;
    return false;
  }
  if (!Parse(std::move(utf8))) return false;
  // The document now holds Unicode: a later save writes UTF-8 and says so.
  pugi::xml_node decl = m_doc->first_child();
  if (decl.type() == pugi::node_declaration && decl.attribute("encoding"))
    decl.attribute("encoding").set_value("UTF-8");
  return true;
}

bool XmlDocument::LoadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    m_doc->reset();
    m_parseError = "cannot open " + path;
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return LoadBytes(bytes);
}

XmlNode XmlDocument::Root() const { return XmlNode(*m_doc); }

XmlNode XmlDocument::DocumentElement() const { return XmlNode(m_doc->document_element()); }

XmlNode XmlDocument::AppendProcessingInstruction(std::string_view target, std::string_view text) {
  if (target != "xml") {
    pugi::xml_node pi = m_doc->append_child(pugi::node_pi);
    pi.set_name(ToUtf8(target).c_str());
    pi.set_value(ToUtf8(text).c_str());
    return XmlNode(pi);
  }
  pugi::xml_node decl = m_doc->prepend_child(pugi::node_declaration);
  decl.set_name("xml");
  // Pseudo-attributes: name = "value" pairs, white space allowed around "=".
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && IsXmlSpace(text[pos])) ++pos;
    size_t nameStart = pos;
    while (pos < text.size() && !IsXmlSpace(text[pos]) && text[pos] != '=') ++pos;
    std::string_view name = text.substr(nameStart, pos - nameStart);
    while (pos < text.size() && IsXmlSpace(text[pos])) ++pos;
    if (name.empty() || pos >= text.size() || text[pos] != '=') break;
    ++pos;
    while (pos < text.size() && IsXmlSpace(text[pos])) ++pos;
    if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) break;
    char quote = text[pos++];
    size_t close = text.find(quote, pos);
    if (close == std::string_view::npos) break;
    decl.append_attribute(ToUtf8(name).c_str()).set_value(ToUtf8(text.substr(pos, close - pos)).c_str());
    pos = close + 1;
  }
  return XmlNode(decl);
}

XmlNode XmlDocument::AppendComment(std::string_view text) { return Root().AppendComment(text); }

XmlNode XmlDocument::AppendElement(std::string_view name) {
  if (m_doc->document_element()) return {};
  return Root().AppendElement(name);
}

XmlNode XmlDocument::AppendCopy(const XmlNode& node) {
  if (node.Type() == XmlNodeType::Element && m_doc->document_element()) return {};
  return Root().AppendCopy(node);
}

std::string XmlDocument::Xml() const {
  StringWriter writer;
  m_doc->save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  return FromUtf8(writer.text);
}

std::string XmlDocument::IndentedXmlUtf8() const {
  StringWriter writer;
  m_doc->save(writer, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  return writer.text;
}

std::string XmlDocument::IndentedXml() const { return FromUtf8(IndentedXmlUtf8()); }

bool XmlDocument::Save(const std::string& path) const { return ReplaceFileContents(path, IndentedXmlUtf8()); }

}  // namespace plat
