#pragma once

#include <QString>

// The application's identity, written once while the main window is created
// (TAppForm::FormCreate) and only read afterwards. Empty until then, and stays
// empty from the step of the creation that failed on.
extern QString AppCompanyName; // "CompanyName" of the executable's version block
extern QString AppProductName; // "ProductName" of the same block
extern QString AppVersion;     // fixed file version as "major.minor"
extern QString AppTitle;       // AppCompanyName + " - " + AppProductName
extern QString AppDataFolder;  // per-user data folder + company + product, ends with '/'

// The file every effect run writes: AppDataFolder + "output.wav" (a plain
// "output.wav" in the current folder when AppDataFolder is empty).
QString WorkFile();
