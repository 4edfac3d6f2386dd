#include "platform/xml_dom.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

TEST(XmlDomTest, DropsWhitespaceNodesAndTrimsElementText) {
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<R>\n  <A>  value one \n</A>\n  <B><C>x</C><D>y</D></B>\n  <E/>\n</R>"));
  plat::XmlNode root = doc.DocumentElement();
  EXPECT_EQ(root.Name(), "R");
  ASSERT_EQ(root.ChildNodes().size(), 3u);
  EXPECT_EQ(root.Child("A").Text(), "value one");
  EXPECT_EQ(root.Child("B").Text(), "xy");
  EXPECT_EQ(root.Child("E").Text(), "");
  EXPECT_EQ(root.Child("Missing").Text(), "");
  EXPECT_EQ(root.Child("B").Xml(), "<B><C>x</C><D>y</D></B>");
}

TEST(XmlDomTest, RejectsTextThatIsNotOneDocument) {
  for (const char* text : {"", "plain text", "<a><b></a>", "<a/><b/>", "<a/>tail", "<!-- only -->"}) {
    plat::XmlDocument doc;
    EXPECT_FALSE(doc.LoadXml(text)) << text;
    EXPECT_FALSE(doc.ParseError().empty()) << text;
    EXPECT_TRUE(doc.DocumentElement().IsNull()) << text;
  }
}

TEST(XmlDomTest, NodeNamesFollowTheDom) {
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<?xml version=\"1.0\"?><!--c--><R>t<![CDATA[<x>]]><!--d--><?pi data?></R>"));
  std::vector<std::string> names;
  for (const auto& n : doc.DocumentElement().ChildNodes()) names.push_back(n.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"#text", "#cdata-section", "#comment", "pi"}));
  EXPECT_EQ(doc.DocumentElement().Text(), "t<x>");
}

TEST(XmlDomTest, TextCrossesTheBoundaryAsWindows1252) {
  // "Café" and "Ü" in Windows-1252 bytes, including an attribute and XPath.
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<R><Caf\xE9 n=\"\xDC\">na\xEFve \x80</Caf\xE9></R>"));
  plat::XmlNode node = doc.SelectSingleNode("/R/Caf\xE9[@n='\xDC']");
  ASSERT_FALSE(node.IsNull());
  EXPECT_EQ(node.Text(), "na\xEFve \x80");
  EXPECT_EQ(node.Attribute("n"), "\xDC");
  EXPECT_EQ(doc.Xml(), "<R><Caf\xE9 n=\"\xDC\">na\xEFve \x80</Caf\xE9></R>");
  EXPECT_NE(doc.IndentedXmlUtf8().find("Caf\xC3\xA9"), std::string::npos);
}

TEST(XmlDomTest, DecodesFileBytesByBomOrDeclaration) {
  struct Case {
    const char* label;
    std::string bytes;
    bool ok;
  };
  const std::string body = "<R>Gr\xC3\xBC\xC3\x9F" "e</R>";  // UTF-8 "Grüße"
  const Case cases[] = {
      {"plain utf-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body, true},
      {"bom", "\xEF\xBB\xBF" + body, true},
      {"no declaration", body, true},
      {"windows-1252", "<?xml version='1.0' encoding='windows-1252'?><R>Gr\xFC\xDF" "e</R>", true},
      {"iso-8859-1", "<?xml version=\"1.0\" encoding = \"ISO-8859-1\"?><R>Gr\xFC\xDF" "e</R>", true},
      {"utf-16le bom", std::string("\xFF\xFE<\0R\0>\0G\0r\0\xFC\0\xDF\0" "e\0<\0/\0R\0>\0", 26), true},
      {"utf-16be declared", std::string("\0<\0?\0x\0m\0l\0?\0>\0<\0R\0>\0G\0r\0\xFC\0\xDF\0e\0<\0/\0R\0>", 38), true},
      {"unknown encoding", "<?xml version=\"1.0\" encoding=\"no-such-code\"?><R/>", false},
      // A byte that was damaged in a UTF-8 document is no character there.
      {"a stray continuation byte", "<R>Gr\xBC" "e</R>", false},
      {"a lead byte without its continuation", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><R>1\xCE</R>", false},
      {"a character cut short", "\xEF\xBB\xBF<R>Gr\xC3</R>", false},
      {"an overlong form", "<R>\xC0\xAF</R>", false},
      {"a control character", std::string("<R>1\x01</R>"), false},
  };
  for (const Case& c : cases) {
    plat::XmlDocument doc;
    ASSERT_EQ(doc.LoadBytes(c.bytes), c.ok) << c.label << ": " << doc.ParseError();
    if (c.ok) { EXPECT_EQ(doc.DocumentElement().Text(), "Gr\xFC\xDF" "e") << c.label; }
  }
}

TEST(XmlDomTest, InvalidXPathSelectsNothing) {
  plat::XmlDocument doc;
  ASSERT_TRUE(doc.LoadXml("<R><A/><A/></R>"));
  EXPECT_EQ(doc.SelectNodes("//A").size(), 2u);
  EXPECT_TRUE(doc.SelectNodes("//A[").empty());
  EXPECT_TRUE(doc.SelectSingleNode("][").IsNull());
  EXPECT_TRUE(plat::XmlNode().SelectNodes("//A").empty());
}

TEST(XmlDomTest, BuildsIndentedDocumentThatReadsBack) {
  plat::XmlDocument doc;
  doc.AppendProcessingInstruction("xml", "version = \"1.0\" encoding = \"UTF-8\"");
  doc.AppendComment("Keep out.");
  plat::XmlNode root = doc.AppendElement("Root");
  ASSERT_TRUE(doc.AppendElement("Second").IsNull());
  root.AppendTextElement("Name", "a & <b> \"q\"");
  root.AppendElement("Empty");
  plat::XmlNode list = root.AppendElement("List");
  list.SetAttribute("kind", "x'y");
  list.AppendTextElement("Item", "1");

  plat::XmlDocument other;
  ASSERT_TRUE(other.LoadXml("<Kept><Deep a=\"1\">v</Deep></Kept>"));
  root.AppendCopy(other.DocumentElement());

  const std::string text = doc.IndentedXml();
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--Keep out.-->\n<Root>\n\t<Name>", 0), 0u) << text;
  EXPECT_NE(text.find("\n\t<List kind=\"x'y\">\n\t\t<Item>1</Item>\n\t</List>\n"), std::string::npos) << text;

  plat::XmlDocument back;
  ASSERT_TRUE(back.LoadXml(text)) << back.ParseError();
  EXPECT_EQ(back.DocumentElement().Child("Name").Text(), "a & <b> \"q\"");
  EXPECT_EQ(back.DocumentElement().Child("Kept").Xml(), "<Kept><Deep a=\"1\">v</Deep></Kept>");
  EXPECT_EQ(back.DocumentElement().ChildElements().size(), 4u);
}

TEST(XmlDomTest, SaveReplacesTheFileWhole) {
  const std::string dir = testing::TempDir() + "xml_dom_save";
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/out.xml";
  plat::XmlDocument doc;
  doc.AppendElement("R").AppendTextElement("A", "\xE9");
  ASSERT_TRUE(doc.Save(path));
  plat::XmlDocument back;
  ASSERT_TRUE(back.LoadFile(path));
  EXPECT_EQ(back.DocumentElement().Child("A").Text(), "\xE9");
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp~"));
  EXPECT_FALSE(doc.Save(dir + "/no/such/dir/out.xml"));
  EXPECT_FALSE(back.LoadFile(dir + "/missing.xml"));
  std::filesystem::remove_all(dir);
}

}  // namespace
