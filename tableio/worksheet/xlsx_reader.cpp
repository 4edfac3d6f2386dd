#include "tableio/worksheet/xlsx_reader.h"

#include <zip.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <pugixml.hpp>
#include <string_view>

#include "platform/ole_date_time.h"
#include "platform/text_encoding.h"

namespace {

// Parts read whole (workbook, styles, shared strings) may not expand beyond this.
constexpr std::size_t kMaxPartSize = std::size_t{1} << 30;
// A single XML token of a sheet (a tag or a text) may not grow beyond this.
constexpr std::size_t kMaxTokenSize = std::size_t{256} << 20;
constexpr std::size_t kReadChunk = 256 * 1024;
// Sizes claimed by a package are not trusted beyond this many cells ahead of reading them.
constexpr std::uint64_t kMaxReservedCells = std::uint64_t{1} << 22;

std::string_view LocalName(std::string_view name) {
  const std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool IsTrue(std::string_view value) { return value == "1" || value == "true"; }

// XML white space; the class tests of the C library would consult the locale per character.
bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A name compared with a literal of known length: no call, no length scan.
template <std::size_t N>
bool NameIs(std::string_view name, const char (&literal)[N]) {
  return name.size() == N - 1 && std::memcmp(name.data(), literal, N - 1) == 0;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n' || text.front() == '\r')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Workbook text is UTF-8 with "_xHHHH_" escapes for characters XML cannot
// carry; the system's text is Windows-1252.
std::string WorkbookText(std::string_view utf8) {
  if (utf8.find("_x") == std::string_view::npos) return plat::Utf8ToCp1252(utf8);
  std::string decoded;
  decoded.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (utf8[i] == '_' && i + 6 < utf8.size() && utf8[i + 1] == 'x' && utf8[i + 6] == '_') {
      int cp = 0;
      bool hex = true;
      for (std::size_t k = 2; k < 6 && hex; ++k) {
        const int d = HexDigit(utf8[i + k]);
        hex = d >= 0;
        cp = cp * 16 + d;
      }
      if (hex) {
        plat::AppendUtf8(decoded, static_cast<std::uint32_t>(cp));
        i += 6;
        continue;
      }
    }
    decoded += utf8[i];
  }
  return plat::Utf8ToCp1252(decoded);
}

// "AB12" gives column 27 and row 11 (0-based); "$" signs are allowed.
bool ParseCellReference(std::string_view ref, std::uint32_t& row, std::uint32_t& column) {
  std::size_t i = 0;
  std::uint32_t col = 0;
  while (i < ref.size() && IsAsciiLetter(ref[i])) {
    col = col * 26 + static_cast<std::uint32_t>((ref[i] & ~0x20) - 'A' + 1);
    if (col > kWbMaxColumns) return false;
    ++i;
  }
  std::uint32_t r = 0;
  if (col == 0 || !ParseNumber(ref.substr(i), r) || r == 0 || r > kWbMaxRows) return false;
  row = r - 1;
  column = col - 1;
  return true;
}

std::string ColumnName(std::uint32_t column) {
  std::string name;
  for (std::uint32_t c = column + 1; c > 0; c = (c - 1) / 26) name.insert(name.begin(), static_cast<char>('A' + (c - 1) % 26));
  return name;
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; }

// Moves the relative references of a shared formula from its master cell to
// a dependent cell; a reference moved off the sheet becomes #REF!.
std::string ShiftFormula(std::string_view formula, std::int64_t rows, std::int64_t columns) {
  std::string out;
  out.reserve(formula.size() + 8);
  std::size_t i = 0;
  while (i < formula.size()) {
    const char c = formula[i];
    if (c == '"' || c == '\'') {  // a text literal or a quoted sheet name
      std::size_t end = i + 1;
      while (end < formula.size()) {
        if (formula[end] == c) {
          if (end + 1 < formula.size() && formula[end + 1] == c) {
            end += 2;
            continue;
          }
          break;
        }
        ++end;
      }
      end = std::min(end + 1, formula.size());
      out.append(formula.substr(i, end - i));
      i = end;
      continue;
    }
    if ((c == '$' || std::isalpha(static_cast<unsigned char>(c))) && (i == 0 || !IsNameChar(formula[i - 1]))) {
      std::size_t j = i;
      const bool colAbsolute = formula[j] == '$';
      if (colAbsolute) ++j;
      const std::size_t letters = j;
      while (j < formula.size() && std::isalpha(static_cast<unsigned char>(formula[j])) && j - letters < 3) ++j;
      const std::size_t lettersEnd = j;
      const bool rowAbsolute = j < formula.size() && formula[j] == '$';
      if (rowAbsolute) ++j;
      const std::size_t digits = j;
      while (j < formula.size() && std::isdigit(static_cast<unsigned char>(formula[j]))) ++j;
      const bool isReference = lettersEnd > letters && j > digits &&
                               (j >= formula.size() || (!IsNameChar(formula[j]) && formula[j] != '('));
      std::uint32_t row = 0;
      std::uint32_t column = 0;
      std::string plain(formula.substr(letters, lettersEnd - letters));
      plain.append(formula.substr(digits, j - digits));
      if (isReference && ParseCellReference(plain, row, column)) {
        const std::int64_t newRow = rowAbsolute ? row : row + rows;
        const std::int64_t newColumn = colAbsolute ? column : column + columns;
        if (newRow < 0 || newRow >= kWbMaxRows || newColumn < 0 || newColumn >= kWbMaxColumns) {
          out += "#REF!";
        } else {
          if (colAbsolute) out += '$';
          out += ColumnName(static_cast<std::uint32_t>(newColumn));
          if (rowAbsolute) out += '$';
          out += std::to_string(newRow + 1);
        }
        i = j;
        continue;
      }
      // Not a reference: copy the whole name so that its digits are not taken for one.
      std::size_t end = i + 1;
      while (end < formula.size() && IsNameChar(formula[end])) ++end;
      out.append(formula.substr(i, end - i));
      i = end;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

// A pull parser for the streamed sheet part: start tags (with their
// attributes), end tags and texts, read in chunks from a source.
class CXmlScanner {
 public:
  enum Token { kStart, kEnd, kText, kEof, kError };
  using Source = std::function<std::int64_t(char*, std::size_t)>;

  explicit CXmlScanner(Source source) : m_source(std::move(source)) {}

  // The views that Name, Attribute and Text give stay valid until the next call.
  Token Next();
  std::string_view Name() const { return m_name; }
  // The attribute's value with entities decoded, or empty.
  std::string_view Attribute(std::string_view localName) const;
  bool HasAttribute(std::string_view localName) const;
  std::string_view Text() const { return m_text; }

 private:
  bool Fill();
  // Offset (from m_pos) of pattern at or after from, reading more as needed.
  std::size_t Find(std::size_t from, std::string_view pattern);
  bool ParseStartTag(std::size_t length);
  static void Decode(std::string_view raw, std::string& out);
  std::string_view Data(std::size_t offset, std::size_t length) const { return {m_buf.data() + m_pos + offset, length}; }

  Source m_source;
  std::vector<char> m_buf;
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  bool m_eof = false;
  bool m_error = false;
  bool m_pendingEnd = false;
  // Names, attribute values and texts are views into the buffer, or into
  // their decoded copies when they hold entities.
  std::string_view m_name;
  struct AttributeSlot {
    std::string_view name;
    std::string_view raw;
    std::string decoded;  // kept from tag to tag for its storage
    bool isDecoded = false;
    std::string_view Value() const { return isDecoded ? std::string_view(decoded) : raw; }
  };
  std::vector<AttributeSlot> m_attributes;
  std::size_t m_attributeCount = 0;
  std::string m_decodedText;
  std::string_view m_text;
};

bool CXmlScanner::Fill() {
  if (m_eof) return false;
  if (m_pos > 0) {
    std::memmove(m_buf.data(), m_buf.data() + m_pos, m_end - m_pos);
    m_end -= m_pos;
    m_pos = 0;
  }
  if (m_end > kMaxTokenSize) {
    m_error = m_eof = true;
    return false;
  }
  if (m_buf.size() - m_end < kReadChunk) m_buf.resize(m_end + kReadChunk);
  const std::int64_t n = m_source(m_buf.data() + m_end, m_buf.size() - m_end);
  if (n <= 0) {
    m_error = n < 0;
    m_eof = true;
    return false;
  }
  m_end += static_cast<std::size_t>(n);
  return true;
}

std::size_t CXmlScanner::Find(std::size_t from, std::string_view pattern) {
  for (;;) {
    const std::string_view data(m_buf.data() + m_pos, m_end - m_pos);
    const std::size_t at = data.find(pattern, from);
    if (at != std::string_view::npos) return at;
    from = data.size() >= pattern.size() ? data.size() - pattern.size() + 1 : 0;
    if (!Fill()) return std::string_view::npos;
  }
}

void CXmlScanner::Decode(std::string_view raw, std::string& out) {
  out.clear();
  std::size_t amp = raw.find('&');
  if (amp == std::string_view::npos) {
    out.assign(raw);
    return;
  }
  out.reserve(raw.size());
  std::size_t i = 0;
  while (amp != std::string_view::npos) {
    out.append(raw.substr(i, amp - i));
    const std::size_t semi = raw.find(';', amp);
    if (semi == std::string_view::npos) {
      i = amp;
      break;
    }
    const std::string_view entity = raw.substr(amp + 1, semi - amp - 1);
    if (entity == "lt") out += '<';
    else if (entity == "gt") out += '>';
    else if (entity == "amp") out += '&';
    else if (entity == "quot") out += '"';
    else if (entity == "apos") out += '\'';
    else if (entity.size() > 1 && entity[0] == '#') {
      std::uint32_t cp = 0;
      const bool hex = entity[1] == 'x' || entity[1] == 'X';
      const std::string_view digits = entity.substr(hex ? 2 : 1);
      const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
      if (r.ec == std::errc() && r.ptr == digits.data() + digits.size() && cp <= 0x10FFFF) plat::AppendUtf8(out, cp);
    } else {
      out.append(raw.substr(amp, semi - amp + 1));
    }
    i = semi + 1;
    amp = raw.find('&', i);
  }
  out.append(raw.substr(i));
}

bool CXmlScanner::ParseStartTag(std::size_t length) {
  // Data(0, length) is "<name attr="v" ...>" or ".../>".
  std::string_view tag = Data(1, length - 2);
  m_pendingEnd = !tag.empty() && tag.back() == '/';
  if (m_pendingEnd) tag.remove_suffix(1);
  std::size_t i = 0;
  while (i < tag.size() && !IsXmlSpace(tag[i])) ++i;
  m_name = LocalName(tag.substr(0, i));
  m_attributeCount = 0;
  while (i < tag.size()) {
    while (i < tag.size() && IsXmlSpace(tag[i])) ++i;
    if (i >= tag.size()) break;
    const std::size_t eq = tag.find('=', i);
    if (eq == std::string_view::npos) return false;
    std::string_view name = tag.substr(i, eq - i);
    while (!name.empty() && IsXmlSpace(name.back())) name.remove_suffix(1);
    std::size_t q = eq + 1;
    while (q < tag.size() && IsXmlSpace(tag[q])) ++q;
    if (q >= tag.size() || (tag[q] != '"' && tag[q] != '\'')) return false;
    const std::size_t close = tag.find(tag[q], q + 1);
    if (close == std::string_view::npos) return false;
    // The attribute slots keep their storage from tag to tag.
    if (m_attributeCount == m_attributes.size()) m_attributes.emplace_back();
    AttributeSlot& slot = m_attributes[m_attributeCount++];
    slot.name = LocalName(name);
    slot.raw = tag.substr(q + 1, close - q - 1);
    slot.isDecoded = slot.raw.find('&') != std::string_view::npos;
    if (slot.isDecoded) Decode(slot.raw, slot.decoded);
    i = close + 1;
  }
  return true;
}

std::string_view CXmlScanner::Attribute(std::string_view localName) const {
  for (std::size_t i = 0; i < m_attributeCount; ++i) {
    if (m_attributes[i].name == localName) return m_attributes[i].Value();
  }
  return {};
}

bool CXmlScanner::HasAttribute(std::string_view localName) const {
  return std::any_of(m_attributes.begin(), m_attributes.begin() + static_cast<std::ptrdiff_t>(m_attributeCount),
                     [&](const auto& a) { return a.name == localName; });
}

CXmlScanner::Token CXmlScanner::Next() {
  if (m_pendingEnd) {
    m_pendingEnd = false;
    return kEnd;
  }
  for (;;) {
    if (m_pos == m_end && !Fill()) return m_error ? kError : kEof;
    if (m_buf[m_pos] != '<') {
      std::size_t lt = Find(0, "<");
      if (lt == std::string_view::npos) {
        if (m_error) return kError;
        lt = m_end - m_pos;  // trailing text
      }
      const std::string_view raw = Data(0, lt);
      if (raw.find('&') == std::string_view::npos) {
        m_text = raw;
      } else {
        Decode(raw, m_decodedText);
        m_text = m_decodedText;
      }
      m_pos += lt;
      return kText;
    }
    if (m_end - m_pos < 9 && !m_eof) {
      Fill();  // enough to tell "<![CDATA[" from other markup
      continue;
    }
    const std::string_view head = Data(0, std::min<std::size_t>(9, m_end - m_pos));
    if (head.substr(0, 2) == "<?") {
      const std::size_t end = Find(2, "?>");
      if (end == std::string_view::npos) return kError;
      m_pos += end + 2;
      continue;
    }
    if (head.substr(0, 4) == "<!--") {
      const std::size_t end = Find(4, "-->");
      if (end == std::string_view::npos) return kError;
      m_pos += end + 3;
      continue;
    }
    if (head == "<![CDATA[") {
      const std::size_t end = Find(9, "]]>");
      if (end == std::string_view::npos) return kError;
      m_text = Data(9, end - 9);
      m_pos += end + 3;
      return kText;
    }
    if (head.substr(0, 2) == "<!") {
      const std::size_t end = Find(2, ">");
      if (end == std::string_view::npos) return kError;
      m_pos += end + 1;
      continue;
    }
    if (head.substr(0, 2) == "</") {
      const std::size_t end = Find(2, ">");
      if (end == std::string_view::npos) return kError;
      std::string_view name = Data(2, end - 2);
      while (!name.empty() && IsXmlSpace(name.back())) name.remove_suffix(1);
      m_name = LocalName(name);
      m_pos += end + 1;
      return kEnd;
    }
    // A start tag: its end is the first '>' outside a quoted attribute value.
    std::size_t i = 1;
    char quote = 0;
    for (;;) {
      if (m_pos + i >= m_end) {
        if (!Fill()) return kError;
        continue;
      }
      const char c = m_buf[m_pos + i];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '>') {
        break;
      }
      ++i;
    }
    if (!ParseStartTag(i + 1)) return kError;
    m_pos += i + 1;
    return kStart;
  }
}

std::string ResolvePartName(const std::string& base, std::string_view target) {
  // base is the folder of the referring part ("xl/"); targets may be absolute ("/xl/...").
  std::string path = !target.empty() && target[0] == '/' ? std::string(target.substr(1)) : base + std::string(target);
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t slash = std::min(path.find('/', start), path.size());
    const std::string part = path.substr(start, slash - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string joined;
  for (const std::string& part : parts) {
    if (!joined.empty()) joined += '/';
    joined += part;
  }
  return joined;
}

std::string FolderOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string RelationshipsOf(const std::string& part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? part : part.substr(slash + 1);
  return folder + "_rels/" + file + ".rels";
}

bool EndsWith(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Concatenates the visible text runs of a string item (<si> or <is>), leaving out phonetic runs.
void CollectText(const pugi::xml_node& node, std::string& out) {
  for (pugi::xml_node child : node.children()) {
    const std::string_view name = LocalName(child.name());
    if (name == "t") out += child.text().get();
    else if (name == "r") CollectText(child, out);
  }
}

}  // namespace

void CXlsxReader::ZipCloser::operator()(zip* archive) const { zip_discard(archive); }

CXlsxReader::CXlsxReader() = default;
CXlsxReader::~CXlsxReader() = default;

bool CXlsxReader::LooksLikeZip(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char magic[4] = {};
  return in.read(magic, 4) && magic[0] == 'P' && magic[1] == 'K' && magic[2] == 3 && magic[3] == 4;
}

bool CXlsxReader::ReadPart(const std::string& name, std::string& out, std::string& error) const {
  const zip_int64_t index = zip_name_locate(m_zip.get(), name.c_str(), ZIP_FL_NOCASE);
  zip_file_t* file = index < 0 ? nullptr : zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(index), 0);
  if (!file) {
    error = "the workbook has no readable part " + name;
    return false;
  }
  const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
  // The size a package claims is not trusted: the part grows with the data actually read.
  out.clear();
  std::size_t done = 0;
  for (;;) {
    if (out.size() - done < kReadChunk) out.resize(done + kReadChunk);
    const zip_int64_t n = zip_fread(file, out.data() + done, out.size() - done);
    if (n < 0) {
      error = "the workbook part " + name + " is damaged";
      return false;
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
    if (done > kMaxPartSize) {
      error = "the workbook part " + name + " is too large";
      return false;
    }
  }
  out.resize(done);
  return true;
}

bool CXlsxReader::Open(const std::string& path, std::string& error) {
  int code = 0;
  m_zip.reset(zip_open(path.c_str(), ZIP_RDONLY, &code));
  if (!m_zip) {
    zip_error_t ze;
    zip_error_init_with_code(&ze, code);
    error = std::string("not a readable zip package: ") + zip_error_strerror(&ze);
    zip_error_fini(&ze);
    return false;
  }

  // The package's relationships name the workbook part.
  std::string text;
  std::string workbookPart = "xl/workbook.xml";
  pugi::xml_document doc;
  if (ReadPart("_rels/.rels", text, error) && doc.load_buffer(text.data(), text.size())) {
    for (pugi::xml_node rel : doc.first_child().children()) {
      if (EndsWith(rel.attribute("Type").value(), "/officeDocument")) {
        workbookPart = ResolvePartName("", rel.attribute("Target").value());
        break;
      }
    }
  }
  std::map<std::string, std::pair<std::string, std::string>> rels;  // id -> (type, part)
  if (ReadPart(RelationshipsOf(workbookPart), text, error)) {
    pugi::xml_document relDoc;
    if (!relDoc.load_buffer(text.data(), text.size())) {
      error = "the workbook relationships are not XML";
      return false;
    }
    for (pugi::xml_node rel : relDoc.first_child().children()) {
      rels[rel.attribute("Id").value()] = {rel.attribute("Type").value(),
                                           ResolvePartName(FolderOf(workbookPart), rel.attribute("Target").value())};
    }
  }
  if (!ReadPart(workbookPart, text, error)) return false;
  if (!doc.load_buffer(text.data(), text.size())) {
    error = "the workbook part is not XML";
    return false;
  }
  const pugi::xml_node workbook = doc.document_element();
  for (pugi::xml_node child : workbook.children()) {
    const std::string_view name = LocalName(child.name());
    if (name == "workbookPr") {
      m_date1904 = IsTrue(child.attribute("date1904").value());
    } else if (name == "sheets") {
      for (pugi::xml_node sheet : child.children()) {
        std::string id;
        for (pugi::xml_attribute a : sheet.attributes()) {
          if (LocalName(a.name()) == "id") id = a.value();
        }
        const auto it = rels.find(id);
        if (it == rels.end() || !EndsWith(it->second.first, "/worksheet")) continue;  // charts and macro sheets
        m_worksheetNames.push_back(WorkbookText(sheet.attribute("name").value()));
        m_sheetParts.push_back(it->second.second);
      }
    }
  }
  if (m_sheetParts.empty()) {
    error = "the workbook has no worksheet";
    return false;
  }
  for (const auto& [id, rel] : rels) {
    if (EndsWith(rel.first, "/styles") && !ReadStyles(rel.second, error)) return false;
    if (EndsWith(rel.first, "/sharedStrings") && !ReadSharedStrings(rel.second, error)) return false;
  }
  error.clear();
  return true;
}

bool CXlsxReader::ReadStyles(const std::string& name, std::string& error) {
  std::string text;
  if (!ReadPart(name, text, error)) return false;
  pugi::xml_document doc;
  if (!doc.load_buffer(text.data(), text.size())) {
    error = "the styles part is not XML";
    return false;
  }
  std::map<std::uint32_t, WbNumberFormat> custom;
  for (pugi::xml_node child : doc.document_element().children()) {
    const std::string_view section = LocalName(child.name());
    if (section == "numFmts") {
      for (pugi::xml_node fmt : child.children()) {
        custom[fmt.attribute("numFmtId").as_uint()] = ClassifyFormatCode(fmt.attribute("formatCode").value());
      }
    } else if (section == "cellXfs") {
      for (pugi::xml_node xf : child.children()) {
        const std::uint32_t id = xf.attribute("numFmtId").as_uint();
        const auto it = custom.find(id);
        m_cellFormats.push_back(it != custom.end() ? it->second : ClassifyBuiltInFormat(id));
      }
    }
  }
  return true;
}

bool CXlsxReader::ReadSharedStrings(const std::string& name, std::string& error) {
  std::string text;
  if (!ReadPart(name, text, error)) return false;
  pugi::xml_document doc;
  if (!doc.load_buffer_inplace(text.data(), text.size())) {
    error = "the shared strings part is not XML";
    return false;
  }
  std::string item;
  for (pugi::xml_node si : doc.document_element().children()) {
    if (LocalName(si.name()) != "si") continue;
    item.clear();
    CollectText(si, item);
    m_sharedStrings.push_back(WorkbookText(item));
  }
  return true;
}

std::unique_ptr<CWorkbookSheet> CXlsxReader::ReadSheet(std::size_t index, std::string& error) {
  if (index >= m_sheetParts.size()) {
    error = "no such worksheet";
    return nullptr;
  }
  const std::string& part = m_sheetParts[index];
  const zip_int64_t entry = zip_name_locate(m_zip.get(), part.c_str(), ZIP_FL_NOCASE);
  zip_file_t* file = entry < 0 ? nullptr : zip_fopen_index(m_zip.get(), static_cast<zip_uint64_t>(entry), 0);
  if (!file) {
    error = "the workbook has no part " + part;
    return nullptr;
  }
  const std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> closer(file, zip_fclose);
  // A cell takes at least a dozen bytes of XML: the part's size bounds what a dimension may claim.
  zip_stat_t st;
  zip_stat_init(&st);
  std::uint64_t maxCells = 0;
  if (zip_stat_index(m_zip.get(), static_cast<zip_uint64_t>(entry), 0, &st) == 0 && (st.valid & ZIP_STAT_SIZE)) {
    maxCells = st.size / 12;
  }
  CXmlScanner xml([file](char* buffer, std::size_t size) { return static_cast<std::int64_t>(zip_fread(file, buffer, size)); });

  auto sheet = std::make_unique<CWorkbookSheet>(&m_sharedStrings);
  struct SharedFormula {
    std::string text;
    std::uint32_t row;
    std::uint32_t column;
  };
  std::map<std::string, SharedFormula> sharedFormulas;

  bool inSheetData = false;
  std::int64_t row = -1;
  std::int64_t nextColumn = 0;
  // The cell being read.
  bool inCell = false;
  std::uint32_t cellRow = 0;
  std::uint32_t cellColumn = 0;
  // The cell's type attribute; any other text (the default "n" among them) reads as a number.
  enum class CellType { kNumber, kSharedString, kString, kInlineString, kBoolean, kError, kDate };
  CellType type = CellType::kNumber;
  std::uint32_t style = 0;
  std::string value;
  std::string inlineText;
  std::string formula;
  std::string formulaSharedIndex;
  bool hasFormula = false;
  bool sharedFormulaMaster = false;
  std::string* capture = nullptr;
  int phonetic = 0;
  std::uint64_t widthSpan = 0;

  const auto fail = [&](const std::string& why) {
    error = why + " in worksheet " + part;
    return nullptr;
  };

  for (;;) {
    const CXmlScanner::Token token = xml.Next();
    if (token == CXmlScanner::kError) return fail("malformed or truncated XML");
    if (token == CXmlScanner::kEof) {
      if (inSheetData || inCell) return fail("unexpected end of data");
      break;
    }
    if (token == CXmlScanner::kText) {
      if (capture && phonetic == 0) capture->append(xml.Text());
      continue;
    }
    const std::string_view name = xml.Name();
    if (token == CXmlScanner::kStart) {
      if (!inSheetData) {
        if (NameIs(name, "sheetData")) {
          inSheetData = true;
        } else if (NameIs(name, "dimension")) {
          const std::string_view ref = xml.Attribute("ref");
          const std::size_t colon = ref.find(':');
          std::uint32_t firstRow = 0, firstColumn = 0, lastRow = 0, lastColumn = 0;
          if (colon != std::string_view::npos && ParseCellReference(ref.substr(0, colon), firstRow, firstColumn) &&
              ParseCellReference(ref.substr(colon + 1), lastRow, lastColumn) && firstRow <= lastRow && firstColumn <= lastColumn) {
            const std::uint64_t cells = std::uint64_t{lastRow - firstRow + 1} * (lastColumn - firstColumn + 1);
            sheet->Reserve(static_cast<std::size_t>(std::min({cells, maxCells, kMaxReservedCells})));
          }
        } else if (NameIs(name, "sheetFormatPr")) {
          double width = 0;
          if (ParseNumber(xml.Attribute("defaultColWidth"), width) && width > 0 && width < 256) {
            sheet->SetDefaultColumnWidth(static_cast<int>(std::lround(width - 5.0 / 7.0)));
          } else if (ParseNumber(xml.Attribute("baseColWidth"), width) && width > 0 && width < 256) {
            sheet->SetDefaultColumnWidth(static_cast<int>(std::lround(width)));
          }
        } else if (NameIs(name, "col")) {
          std::uint32_t first = 0;
          std::uint32_t last = 0;
          double width = 0;
          if (ParseNumber(xml.Attribute("min"), first) && ParseNumber(xml.Attribute("max"), last) &&
              ParseNumber(xml.Attribute("width"), width) && first >= 1 && first <= last && width >= 0 && width < 256) {
            last = std::min(last, kWbMaxColumns);
            // Valid ranges do not overlap; a file that repeats them gets no more than two passes.
            if (widthSpan + (last - first + 1) <= 2 * kWbMaxColumns) {
              widthSpan += last - first + 1;
              const int chars = std::max(0, static_cast<int>(std::lround(width - 5.0 / 7.0)));
              for (std::uint32_t c = first; c <= last; ++c) sheet->SetColumnWidth(c - 1, chars);
            }
          }
        }
        continue;
      }
      if (NameIs(name, "row")) {
        std::uint32_t r = 0;
        if (xml.HasAttribute("r")) {
          if (!ParseNumber(xml.Attribute("r"), r) || r == 0 || r > kWbMaxRows) return fail("a bad row number");
          row = r - 1;
        } else {
          ++row;
          if (row >= kWbMaxRows) return fail("too many rows");
        }
        nextColumn = 0;
      } else if (NameIs(name, "c")) {
        if (row < 0) row = 0;  // a cell outside a row element
        if (xml.HasAttribute("r")) {
          if (!ParseCellReference(xml.Attribute("r"), cellRow, cellColumn)) return fail("a bad cell reference");
        } else {
          if (nextColumn >= kWbMaxColumns) return fail("too many columns");
          cellRow = static_cast<std::uint32_t>(row);
          cellColumn = static_cast<std::uint32_t>(nextColumn);
        }
        nextColumn = cellColumn + 1;
        inCell = true;
        const std::string_view t = xml.Attribute("t");
        type = NameIs(t, "s")           ? CellType::kSharedString
               : NameIs(t, "str")       ? CellType::kString
               : NameIs(t, "inlineStr") ? CellType::kInlineString
               : NameIs(t, "b")         ? CellType::kBoolean
               : NameIs(t, "e")         ? CellType::kError
               : NameIs(t, "d")         ? CellType::kDate
                                        : CellType::kNumber;
        style = 0;
        if (xml.HasAttribute("s") && !ParseNumber(xml.Attribute("s"), style)) style = 0;
        value.clear();
        inlineText.clear();
        formula.clear();
        formulaSharedIndex.clear();
        hasFormula = false;
        sharedFormulaMaster = false;
      } else if (inCell && NameIs(name, "v")) {
        capture = &value;
      } else if (inCell && NameIs(name, "f")) {
        hasFormula = true;
        if (NameIs(xml.Attribute("t"), "shared")) {
          formulaSharedIndex.assign(xml.Attribute("si"));
          sharedFormulaMaster = xml.HasAttribute("ref");
        }
        capture = &formula;
      } else if (inCell && NameIs(name, "t")) {
        capture = &inlineText;
      } else if (inCell && NameIs(name, "rPh")) {
        ++phonetic;
      }
      continue;
    }

    // An end tag.
    if (!inSheetData) continue;
    if (NameIs(name, "v") || NameIs(name, "f") || NameIs(name, "t")) {
      capture = nullptr;
    } else if (NameIs(name, "rPh")) {
      if (phonetic > 0) --phonetic;
    } else if (NameIs(name, "sheetData")) {
      inSheetData = false;
      break;  // nothing after the cells is needed
    } else if (NameIs(name, "c") && inCell) {
      inCell = false;
      capture = nullptr;
      if (type == CellType::kSharedString) {
        std::uint32_t sst = 0;
        if (value.empty()) {
          sheet->AddEmpty(cellRow, cellColumn);
        } else if (!ParseNumber(value, sst) || sst >= m_sharedStrings.size()) {
          return fail("a shared string index out of range");
        } else {
          sheet->AddSharedText(cellRow, cellColumn, sst);
        }
      } else if (type == CellType::kString) {
        sheet->AddText(cellRow, cellColumn, WorkbookText(value));
      } else if (type == CellType::kInlineString) {
        sheet->AddText(cellRow, cellColumn, WorkbookText(inlineText));
      } else if (type == CellType::kBoolean) {
        sheet->AddNumber(cellRow, cellColumn, IsTrue(value) ? 1.0 : 0.0, WbValueKind::Boolean);
      } else if (type == CellType::kError) {
        sheet->AddEmpty(cellRow, cellColumn, WbValueKind::Error);
      } else if (type == CellType::kDate) {
        plat::OleDateTime date;
        if (!value.empty() && date.ParseDateTime(value)) sheet->AddNumber(cellRow, cellColumn, date.GetValue(), WbValueKind::Date);
        else sheet->AddEmpty(cellRow, cellColumn, value.empty() ? WbValueKind::Empty : WbValueKind::Error);
      } else if (value.empty()) {
        sheet->AddEmpty(cellRow, cellColumn);
      } else {
        double number = 0;
        if (!ParseNumber(value, number) || !std::isfinite(number)) return fail("a bad number");
        const WbNumberFormat format = style < m_cellFormats.size() ? m_cellFormats[style] : WbNumberFormat::General;
        double date = 0;
        if (format == WbNumberFormat::Date && WorkbookSerialToOleDate(number, m_date1904, date)) {
          sheet->AddNumber(cellRow, cellColumn, date, WbValueKind::Date);
        } else if (format == WbNumberFormat::Currency && std::fabs(number) < 9e14) {
          sheet->AddNumber(cellRow, cellColumn, std::round(number * 10000.0) / 10000.0, WbValueKind::Currency);
        } else {
          sheet->AddNumber(cellRow, cellColumn, number, WbValueKind::Number);
        }
      }
      if (hasFormula) {
        std::string text;
        if (!formula.empty()) {
          text = "=" + WorkbookText(formula);
          if (sharedFormulaMaster) sharedFormulas[formulaSharedIndex] = {text, cellRow, cellColumn};
        } else if (!formulaSharedIndex.empty()) {
          const auto it = sharedFormulas.find(formulaSharedIndex);
          if (it != sharedFormulas.end()) {
            text = ShiftFormula(it->second.text, std::int64_t{cellRow} - it->second.row,
                                std::int64_t{cellColumn} - it->second.column);
          }
        }
        sheet->SetLastFormula(std::move(text));
      }
    }
  }
  sheet->Finish();
  return sheet;
}
