#pragma once

#include <QString>

// Making what was written survive a power cut. Each returns the system's
// reason when it cannot, an empty text when done.

// Writes the file's data to the disk.
QString syncFile(const QString& path);

// Writes the folder that holds `path` to the disk, so that a name made,
// renamed or removed in it stays as it is now.
QString syncFolderOf(const QString& path);
