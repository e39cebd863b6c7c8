#pragma once

#include <QString>

#include "core/base/UserFolders.h"

namespace q840 {

// The program folder: the executable's folder, where skin/, DefaultData/, Font/, SDK/ and
// Update/ sit. Ends with '/'. Overridden by SetProgramFolder or the environment variable
// Q840_PROGRAM_DIR (tests).
QString ProgramFolder();
void SetProgramFolder(const QString& folder);

// The per-user data folder: $XDG_DATA_HOME (default ~/.local/share) + product title + '/'.
// Created when missing. Overridden by SetUserDataFolder or Q840_USER_DATA_DIR (tests).
QString UserDataFolder();
void SetUserDataFolder(const QString& folder);

// The file whose lock keeps a second copy of the program from running for this user:
// $XDG_RUNTIME_DIR/halvorn-q840vex.lock, or "instance.lock" in the per-user data folder when
// there is no runtime folder (a bare console, su).
QString InstanceLockFile();

// The factory data folder: ProgramFolder() + "DefaultData/".
QString DefaultsFolder();

}  // namespace q840
