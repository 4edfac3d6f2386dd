#include "platform/connection_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every form a password takes in a connection text, and driver messages that echo one.
TEST(MaskConnectionSecrets, HidesEveryPasswordForm) {
  struct Case {
    std::string text;
    std::string masked;
  };
  const std::vector<Case> cases = {
      {"DSN=x;UID=u;PWD=s3cret", "DSN=x;UID=u;PWD=********"},
      {"DSN=x;pwd=s3cret;UID=u", "DSN=x;pwd=********;UID=u"},
      {"Driver={SQL Server};Server=h;UID=u;PWD={a;b}}c};Database=d",
       "Driver={SQL Server};Server=h;UID=u;PWD=********;Database=d"},
      {"Provider=SQLOLEDB;Data Source=h;User ID=u;Password=p@ss w0rd;Initial Catalog=c",
       "Provider=SQLOLEDB;Data Source=h;User ID=u;Password=********;Initial Catalog=c"},
      {"PASSWORD = 'it''s' ;x=1", "PASSWORD = ******** ;x=1"},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=jet;Data Source=a.mdb",
       "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=********;Data Source=a.mdb"},
      {"host=h dbname=d password=pg user=u", "host=h dbname=d password=********"},
      {"[unixODBC]connect failed for \"DSN=x;PWD=abc\"\nsecond line", "[unixODBC]connect failed for \"DSN=x;PWD=********\nsecond line"},
      // The bare value is masked wherever else it appears.
      {"PWD=abc; login for user abc failed", "PWD=********; login for user ******** failed"},
      // Empty values, look-alike keys and texts without secrets stay as they are.
      {"DSN=x;PWD=;UID=u", "DSN=x;PWD=;UID=u"},
      {"PasswordExpiry=3;NoPwd=1;MyPwd=2", "PasswordExpiry=3;NoPwd=1;MyPwd=2"},
      {"DSN=results", "DSN=results"},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plat::MaskConnectionSecrets(c.text), c.masked) << c.text;
    EXPECT_EQ(plat::MaskConnectionSecrets(c.masked), c.masked) << c.text;  // masking twice changes nothing
  }
}

TEST(MaskConnectionSecrets, HidesKnownSecretsInDriverMessages) {
  EXPECT_EQ(plat::MaskConnectionSecrets("password authentication failed: 'hunter2'", {"hunter2"}),
            "password authentication failed: '********'");
  EXPECT_EQ(plat::FindConnectionSecrets("UID=u;PWD={x;y};Password=z"), (std::vector<std::string>{"x;y", "z"}));
}

// A driver is named, never a path, whatever spacing, letter case or braces a reader accepts.
TEST(FindRefusedConnectionItem, RefusesWhatWouldLoadALibraryOrNameAFile) {
  struct Case {
    std::string text;
    std::string refusal;  // a part of the reason, or "" for a string that may go to the driver manager
  };
  const std::vector<Case> cases = {
      {"Driver=/tmp/evil.so;Server=x", "driver \"/tmp/evil.so\" is a path"},
      {"Driver=<run>/evil.so", "is a path"},
      {"DRIVER = {/x.so}", "is a path"},
      {"driver={..\\x.so}", "is a path"},
      {"  dRiVeR\t=  ./evil.so ;Server=x", "is a path"},
      {"{Driver}=/x.so", "is a path"},
      {"Dri ver=/x.so", "is a path"},
      {"Server=x;Driver=/x.so", "is a path"},
      {"Server=x;;;Driver=/x.so;", "is a path"},
      // Items a reader may find inside a braced value or right after one.
      {"Server={a;Driver=/x.so}", "is a path"},
      {"Server={a}Driver=/x.so", "is a path"},
      {"Server= {a;Driver=/x.so}", "is a path"},
      {"PWD={p}};Driver=/x.so}", "is a path"},
      {"DSN=/tmp/evil.dsn", "data source \"/tmp/evil.dsn\" is a path"},
      {"DSN=..\\x", "is a path"},
      {"FILEDSN=/tmp/x.dsn", "FILEDSN names a file for the driver manager"},
      {"filedsn=x.dsn", "names a file"},
      {"DSN=Results;SAVEFILE=out.dsn", "SAVEFILE names a file"},
      {"Driver=SQLite3;DMEnvAttr=SQL_ATTR_UNIXODBC_ENVATTR={ODBCSYSINI=/tmp}", "DMEnvAttr sets attributes of the driver manager"},
      {"Driver=SQLite3;DMConnAttr=[1041]=\\'/tmp/x.so\\'", "DMConnAttr"},
      {"Driver=SQLite3;dmstmtattr=x", "dmstmtattr"},
      {"Driver=SQLite3;Database=/tmp/r.db;LoadExt=/tmp/evil.so", "LoadExt makes the driver load a library or write a file"},
      {"Driver=SQLite3;Database=r.db;TraceFile=/tmp/t", "TraceFile"},
      {"Driver=FreeTDS;Server=x;DumpFile=/tmp/d", "DumpFile"},
      // What a connection may hold: drivers and data sources by name, database files by path.
      {"Driver=SQLite3;Database=/tmp/results/Results.Mdb;Timeout=30000", ""},
      {"Driver={SQL Server};Server=srv;Database=Res;UID=sa;PWD=a/b\\c", ""},
      {"Driver=MDBTools;DBQ=/models/x.mdb", ""},
      {"DSN=Results;UID=u;PWD={x;y}", ""},
      {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/models/a/Results.Mdb", ""},
      {"Provider=SQLOLEDB;Data Source=tcp:db.example,1433;Initial Catalog=Res", ""},
      {"Driver=PostgreSQL;Server=127.0.0.1;Port=5432;Database=r;DriverUnicodeType=1", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    const std::string refused = plat::FindRefusedConnectionItem(c.text);
    if (c.refusal.empty()) {
      EXPECT_EQ(refused, "") << c.text;
    } else {
      EXPECT_NE(refused.find(c.refusal), std::string::npos) << c.text << " -> " << refused;
    }
  }
  // The translation refuses what the driver manager would not get.
  const plat::TranslatedConnection t = plat::TranslateConnectionString("Provider=MSDASQL;Driver=/tmp/evil.so");
  EXPECT_FALSE(t.ok);
  EXPECT_NE(t.message.find("The connection string is refused: the driver \"/tmp/evil.so\" is a path"),
            std::string::npos)
      << t.message;
}

}  // namespace

namespace {

// A value joined by ConnectionPair comes back whole, white space and braces included.
TEST(ConnectionPair, ParsesBackToTheSameValue) {
  for (const std::string value : {"plain", " spaced ", "tab\t", "\nline", "a;b", "{x}}", "k=v", ""}) {
    const auto items = plat::ParseConnectionString(plat::ConnectionPair("PWD", value) + ";UID=u");
    ASSERT_EQ(items.size(), 2u) << value;
    EXPECT_EQ(items[0].second, value);
  }
}

}  // namespace

namespace {

// Secrets made of stars, each listed many times, mask their echoes once and never grow a mask.
TEST(MaskConnectionSecrets, SecretsOfStarsDoNotGrowTheMasks) {
  std::string text;
  for (int i = 0; i < 2; ++i) text += "pwd=*;PWD=**;x ";
  text += "pwd=as";
  const std::string masked = plat::MaskConnectionSecrets(text, {"***", "as"});
  EXPECT_LT(masked.size(), 2 * text.size());
  EXPECT_EQ(masked.find("as"), std::string::npos);
  EXPECT_EQ(plat::MaskConnectionSecrets("PWD=**;echo ** and *", {"*"}), "PWD=********;echo ******** and ********");
}

}  // namespace
