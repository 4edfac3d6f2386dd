#pragma once
// Test support: a model file with a section of every kind the loader reads
// or keeps besides the settings, formulas, user equations and external
// models, in the form of an older version.

namespace model_file_testing {

inline constexpr const char* kFullModel = R"(<?xml version="1.0" encoding="UTF-8"?>
<!--This file is maintained by VORN.  Do not modify this file!-->
<VornConfiguration>
	<Version>17.9.0</Version>
	<Tables>
		<Table><Name>BOUNDS</Name><File>Data\Bounds.xls[Bounds]</File><Enabled>1</Enabled><TableType>5</TableType></Table>
		<Table><Name>BOUNDS</Name><File>data\off.xls</File><Enabled>0</Enabled><TableType>5</TableType></Table>
		<Table><Name>ADDITIVE</Name><File>add.xls</File><Enabled>1</Enabled><TableType>5</TableType></Table>
		<Table><Name>MICROCUT</Name><File>cut.xls</File><Enabled>1</Enabled><TableType>14</TableType></Table>
		<Table><Name>MODELS</Name><File>m1.xls</File><Enabled>1</Enabled><TableType>11</TableType></Table>
		<Table><Name>MODELS</Name><File>m2.xls</File><Enabled>0</Enabled><TableType>11</TableType></Table>
		<Table><Name>MYTABLE</Name><File>..\shared\mine.dbf</File><Enabled>1</Enabled><TableType>5</TableType></Table>
	</Tables>
	<Settings>
		<Setting><Name>ModelExt</Name><Value>Xlsx</Value></Setting>
		<Setting><Name>ModelType</Name><Value>3</Value></Setting>
		<Setting><Name>StartDate</Name><Value>1/31/2024</Value></Setting>
	</Settings>
	<Servers>
		<Server><SpreadSheetFile>s.xls</SpreadSheetFile><ServerType>3</ServerType><Parameters>@@@q@@@</Parameters></Server>
	</Servers>
	<WenuTables>
		<WenuTable><Name>W</Name><SpreadSheet>w.xls</SpreadSheet><Enabled>1</Enabled></WenuTable>
	</WenuTables>
	<ReportConfiguration><Report id="1"/></ReportConfiguration>
	<tables><Kept>yes</Kept></tables>
</VornConfiguration>
)";

}  // namespace model_file_testing
