// Where the program works when started from the applications menu, which
// gives it no meaningful working folder: the user's data folder
// ($XDG_DATA_HOME/tarvon, usually ~/.local/share/tarvon). It is created on
// first use and seeded with a copy of the installed sample table only when
// it holds no "KTABLE.DAT" (or an empty one); a table already there is
// never replaced or written.
#pragma once

#include <QString>

// The folder for a given XDG_DATA_HOME (a relative or empty one does not
// count, as the XDG rules say) and home folder.
QString userFolder(const QString& xdgDataHome, const QString& home);

// The installed sample table, relative to the program's own folder, so an
// unpacked or moved installation finds its own.
QString installedSample(const QString& programFolder);

// Creates `folder` if need be and seeds its KTABLE.DAT from `sample` when
// there is none (and the sample exists). False with a Thai reason when the
// folder cannot be made or the copy cannot be written.
bool prepareUserFolder(const QString& folder, const QString& sample, QString* error);
