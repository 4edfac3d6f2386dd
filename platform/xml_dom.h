#pragma once
// A thin DOM over pugixml with the behaviour the system's XML readers and
// writers rely on: whitespace-only text nodes are dropped on parsing, an
// element's text is the text of its subtree trimmed at both ends, a document
// declared in a single-byte code page is converted before parsing, and every
// text crossing this interface (names, values, XML text) is Windows-1252.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pugi {
class xml_document;
class xml_node;
struct xml_node_struct;
}  // namespace pugi

namespace plat {

enum class XmlNodeType { Null, Document, Element, Text, CData, Comment, ProcessingInstruction, Declaration, Other };

// A handle to one node of an XmlDocument; valid while the document lives and
// the node is not removed. A default handle is null: every query on it gives
// an empty answer and every change fails.
class XmlNode {
 public:
  XmlNode() = default;
  explicit XmlNode(const pugi::xml_node& node);

  bool IsNull() const { return m_node == nullptr; }
  explicit operator bool() const { return m_node != nullptr; }
  XmlNodeType Type() const;
  bool IsElement() const { return Type() == XmlNodeType::Element; }

  // The DOM node name: the tag of an element, "#text", "#cdata-section",
  // "#comment", "#document", or the target of a processing instruction.
  std::string Name() const;

  // The text of the node's subtree (text and CDATA in document order),
  // without leading and trailing white space.
  std::string Text() const;
  // Replaces the node's children by one text node (empty text: no child).
  bool SetText(std::string_view text);

  // The node as compact XML text (no added white space), e.g. a section
  // element with all its descendants.
  std::string Xml() const;

  // Child nodes of every type, in document order.
  std::vector<XmlNode> ChildNodes() const;
  std::vector<XmlNode> ChildElements() const;
  // The first child element of that name, or null.
  XmlNode Child(std::string_view name) const;
  // The text of the first child element of that name; false when absent.
  bool ChildText(std::string_view name, std::string& out) const;
  XmlNode Parent() const;

  bool HasAttribute(std::string_view name) const;
  // The attribute's value, or empty text when absent.
  std::string Attribute(std::string_view name) const;
  bool GetAttribute(std::string_view name, std::string& out) const;
  bool SetAttribute(std::string_view name, std::string_view value);
  std::vector<std::pair<std::string, std::string>> Attributes() const;

  // XPath 1.0 from this node; an invalid expression selects nothing.
  std::vector<XmlNode> SelectNodes(std::string_view xpath) const;
  XmlNode SelectSingleNode(std::string_view xpath) const;

  // Appending. Each returns the new node, or null when this node cannot hold it.
  XmlNode AppendElement(std::string_view name);
  // An element with one text child: <name>text</name>.
  XmlNode AppendTextElement(std::string_view name, std::string_view text);
  XmlNode AppendComment(std::string_view text);
  // A deep copy of a node of any document.
  XmlNode AppendCopy(const XmlNode& node);
  bool RemoveChild(const XmlNode& child);

  bool operator==(const XmlNode& other) const { return m_node == other.m_node; }

 private:
  friend class XmlDocument;
  pugi::xml_node Raw() const;
  pugi::xml_node_struct* m_node = nullptr;
};

class XmlDocument {
 public:
  XmlDocument();
  ~XmlDocument();
  XmlDocument(XmlDocument&&) noexcept;
  XmlDocument& operator=(XmlDocument&&) noexcept;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Parses Windows-1252 text, as a document loaded from a string: an
  // encoding named in its declaration is ignored. False (and an empty
  // document) when the text is not one well-formed document.
  bool LoadXml(std::string_view text);
  // Parses the bytes of an XML file: a byte-order mark or the declared
  // encoding decides how they are decoded; UTF-8 when neither says.
  bool LoadBytes(std::string_view bytes);
  // Reads and parses a file (see LoadBytes).
  bool LoadFile(const std::string& path);
  // The reason of the last failed load, empty after a successful one.
  const std::string& ParseError() const { return m_parseError; }

  XmlNode Root() const;             // the document node
  XmlNode DocumentElement() const;  // its element, or null

  // Building: the declaration, comments and the document element.
  // AppendProcessingInstruction with target "xml" adds the declaration and
  // reads its pseudo-attributes from text (e.g. version = "1.0" encoding = "UTF-8").
  XmlNode AppendProcessingInstruction(std::string_view target, std::string_view text);
  XmlNode AppendComment(std::string_view text);
  XmlNode AppendElement(std::string_view name);
  XmlNode AppendCopy(const XmlNode& node);

  std::vector<XmlNode> SelectNodes(std::string_view xpath) const { return Root().SelectNodes(xpath); }
  XmlNode SelectSingleNode(std::string_view xpath) const { return Root().SelectSingleNode(xpath); }

  // The whole document as compact text, Windows-1252.
  std::string Xml() const;
  // The whole document indented one tab per level, one node per line,
  // Windows-1252 (for callers that hand the text on, e.g. to the cipher).
  std::string IndentedXml() const;
  // The same, as UTF-8 bytes, the form written to files.
  std::string IndentedXmlUtf8() const;
  // Replaces path with IndentedXmlUtf8 (ReplaceFileContents: the old file's
  // mode is kept and a failed write leaves it intact).
  bool Save(const std::string& path) const;

  void Clear();

 private:
  bool Parse(std::string utf8);
  std::unique_ptr<pugi::xml_document> m_doc;
  std::string m_parseError;
};

// Decodes file bytes into UTF-8 following a byte-order mark or the encoding
// of the XML declaration; false when the encoding is unknown or a byte
// cannot be decoded. Exposed for tests and for readers of XML-like files.
bool DecodeXmlBytes(std::string_view bytes, std::string& utf8, std::string& error);

}  // namespace plat
