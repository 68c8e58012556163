#pragma once

#include <QString>

// The folder the program works in: its current directory, under which
// data/data.mdb and data/Project2.rav are found.
//
// An installed program finds the files it ships (schema.sql, Project2.rav)
// in share/paikao beside its own bin folder. There it works in a folder of
// the user's own, ~/.local/share/paikao (under $XDG_DATA_HOME when that is
// set), which it makes ready and changes into. A program built in a source
// tree has no such folder beside it and works in the current directory, as
// started.
//
// Returns why the folder could not be made ready, in Chinese; empty when all
// is well. Files already in the user's folder are never replaced.
QString enterWorkFolder(const QString& programFolder);

// Makes a database file from a schema file. The file appears only when it
// is complete; an existing file is never replaced. Returns the reason in
// Chinese when it fails, else empty.
QString createDatabase(const QString& schemaFile, const QString& target);
