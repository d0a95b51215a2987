#pragma once

#include <QString>

// The application's identity, written once at start-up (by the main window's
// creation, or by the command-line mode) and only read afterwards. Empty until
// then, and stays empty from the step of the set-up that failed on.
extern QString AppCompanyName; // "CompanyName" of the executable's version block
extern QString AppProductName; // "ProductName" of the same block
extern QString AppVersion;     // fixed file version as "major.minor"
extern QString AppTitle;       // AppCompanyName + " - " + AppProductName
extern QString AppDataFolder;  // per-user data folder + company + product, ends with '/'

// The file every effect run writes: AppDataFolder + "output.wav" (a plain
// "output.wav" in the current folder when AppDataFolder is empty), or the
// process's own work file once UseOwnWorkFile was called.
QString WorkFile();

// Switches WorkFile to "output-<process id>.wav", a file no other instance
// writes, deletes or judges.
void UseOwnWorkFile();

// Keeps "output.wav" when this process is the first instance to claim
// AppDataFolder; otherwise another instance runs into it, and this one uses a
// work file of its own. The claim lasts as long as the process.
void ClaimWorkFile();

// For when AppDataFolder could not be made: switches WorkFile to a new file in
// the current folder, under a name no file had, so no file of the user's is
// ever replaced. Returns its absolute path, or nothing when no file can be
// made there (WorkFile then stays as it was).
QString UseNewWorkFileHere();

// Deletes the work file when it is this process's own (UseOwnWorkFile): nobody
// else can ever use it. The shared "output.wav" stays for the next start.
void RemoveOwnWorkFile();

// Sets AppCompanyName, AppProductName, AppVersion and AppTitle from the version
// block of AExeFileName. Raises the version block reader's error when the block
// cannot be read; the globals from the failing step on stay as they were.
void ReadAppIdentity(const QString &AExeFileName);

// Creates the company folder and the product folder below the user's data
// folder where missing (one level each), then sets AppDataFolder. Raises
// EOSError when a folder cannot be created; AppDataFolder then stays as it was.
void CreateAppDataFolder();
