#pragma once

// Where the window finds the files that live beside the program: its settings and its help.

#include <QString>

namespace vantorel {

// The folder of the running executable, without a trailing separator.
QString ExecutableFolder();

// Data.ini beside the executable. An installed program sits in a folder its user may not
// write: when that folder holds no Data.ini and cannot be written, the settings live in
// $XDG_CONFIG_HOME/vantorel/Data.ini (~/.config when the variable is unset) instead.
QString SettingsPathFor(const QString& executableFolder);

// "Vantorel Help.pdf" beside the executable; an installed program keeps it in
// ../share/vantorel, which is looked at when there is none beside it.
QString HelpDocumentPathFor(const QString& executableFolder);

inline constexpr const char* kHelpDocumentName = "Vantorel Help.pdf";

}  // namespace vantorel
