#pragma once

// Where an install puts the program's files, as this build was configured.
namespace Installation {

// The reverse-DNS id naming the desktop entry, the metadata and the icon.
extern const char ApplicationId[];
// The installed desktop entry's path relative to the program's folder: a
// program with its entry there was installed, not run from its build folder.
extern const char DesktopEntryFromProgram[];

} // namespace Installation
