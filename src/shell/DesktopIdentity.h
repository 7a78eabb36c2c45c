#pragma once

// How the desktop knows the program: the icon of every window (drawn for each
// size from 16 to 256 pixels) and the application id that ties the windows
// to the installed desktop entry.
namespace DesktopIdentity {

// Sets both for the running application; call once a QGuiApplication exists.
void apply();

} // namespace DesktopIdentity
