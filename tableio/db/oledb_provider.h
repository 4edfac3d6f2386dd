#pragma once
// Which OLE DB providers for Access and SQL Server are available. A probe
// answers yes when the provider's class key exists in the registry
// (HKEY_CLASSES_ROOT\CLSID\{...}) or when the ODBC driver that stands in for
// the provider here is installed: "SQLite3" or "MDBTools" for the Access
// providers, the configured SQL Server driver for the SQL Server providers.
// Each probe asks once and keeps its answer for the rest of the process.

#include <string>

bool IsAceOledb16Registered();
bool IsAceOledb12Registered();
bool IsJetOledb40Registered();
bool IsJetOledb351Registered();
// The SQL Server probes write their provider name into provider on their
// first call when the provider is registered.
bool IsSqlNcli11Registered(std::string& provider);
bool IsSqlNcli10Registered(std::string& provider);
bool IsSqlNcliRegistered(std::string& provider);

// "SQLNCLI11", "SQLNCLI10", "SQLNCLI" (the first registered), else "SQLOLEDB".
std::string GetSqlServerProvider();

// True when the name ends in "accdb" (any case).
bool IsAccdbFile(const std::string& fileName);

// The provider for an Access file when none is given: ACE 12.0 for an
// .accdb file when registered, else Jet 4.0, else Jet 3.51, else "".
std::string ChooseAccessProvider(const std::string& fileName);

// Forgets every kept answer, so a test can probe again.
void ResetOledbProviderProbes();
