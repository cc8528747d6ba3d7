#pragma once

#include <QString>

class ReportEngine;
class UiServices;
class User;

// The "Print..." submenu of the main window: items 1 to 8 run the shipped templates over the
// shown database file.
class ReportMenu {
public:
    // Hands the settings to `report` and runs it: data file 0 is `databaseLocation`, the
    // formulas "SalesRep= '<Sales_Rep>'" and "UserCompany= '<Company>'", the mail recipients
    // HQemail, copy list emailcc and text "Sales report. " + Sales_Rep; indexes 1 to 8 set the
    // template file (the program's folder followed by "\Summary.rpt" ...), any other index leaves
    // it as it was. A status of 1 or more shows the engine's error text under "Print Report".
    static void printReport(ReportEngine& report, int index, const QString& databaseLocation,
                            const User& user, UiServices& ui);

    static constexpr const char* MessageTitle = "Print Report";
};
