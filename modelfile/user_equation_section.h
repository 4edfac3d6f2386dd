#pragma once
// The UserEquationSection of the model file: the user-equation variables, the
// equation groups and the user-defined equations, read into and written from
// the model's two (non-owning) lists; and the LST_REPORT switch.

#include "modelfile/user_defined_equation.h"
#include "modelfile/user_defined_equation_variable.h"
#include "modelfile/user_equation_group.h"
#include "platform/xml_dom.h"

class CVornModelFile;

// Reads UserEquationVariables and UserEquations children in document order,
// then links the tree and the equations' variables once the whole section is
// read. The model's lists are elements and variables, its silent switch silent.
void ReadUserEquationSectionXml(CVornModelFile& model, const plat::XmlNode& section);
void ReadUserEquationSectionXml(IUserEquationGroupArray& elements, CUserDefinedEquationVariableArray& variables,
                                const plat::XmlNode& section, bool silent);
// Adds each UserEquationVariable whose Name is not in the list yet; the list stays sorted by Name.
void ReadUserEquationVariablesXml(CUserDefinedEquationVariableArray& variables, const plat::XmlNode& element);
// Adds each UserEquation and EquationGroup (an over-long equation is
// suppressed, with message 15618 unless silent), then links.
void ReadUserEquationsXml(IUserEquationGroupArray& elements, const CUserDefinedEquationVariableArray& variables,
                          const plat::XmlNode& element, bool silent);

// Sorts the groups and equations by name, links each element to the group
// its ParentGroup names (never to itself, a descendant or an equation),
// sorts every group's members and resolves every equation's variables.
// Safe to run again.
void LinkUserEquations(IUserEquationGroupArray& elements, const CUserDefinedEquationVariableArray& variables);

// Appends a UserEquationSection element to root: UserEquationVariables and
// UserEquations, each only when its list is not empty.
void WriteUserEquationSectionXml(const CVornModelFile& model, plat::XmlNode& root);
void WriteUserEquationSectionXml(const IUserEquationGroupArray& elements,
                                 const CUserDefinedEquationVariableArray& variables, plat::XmlNode& root);

// Destroys every element through its own class and every variable, and empties both lists.
void DeleteUserEquations(IUserEquationGroupArray& elements, CUserDefinedEquationVariableArray& variables);

// UseLstReportsOn becomes 1 when LST_REPORT holds one character that reads
// as a non-zero number, else 0.
void ApplyLstReportSetting(CVornModelFile& model);
