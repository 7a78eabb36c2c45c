#pragma once

// The program's revision as the About window shows it and the setup file's
// first line records it.
inline constexpr char RevisionText[] = "Revision: 1.3.00";
