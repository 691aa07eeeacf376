#pragma once

#include "update/UpdateManifest.h"

#include <QString>

class QFile;

// The checks a downloaded executable passes before it may replace ours: HTTP
// 200, the manifest's size and SHA-256, an ELF file. Empty when all pass,
// otherwise what failed.
QString checkDownload(int httpStatus, QFile& downloaded, const UpdateManifest& manifest);

// Puts the verified download in place of iFileName in one atomic step: flushed
// to disk, given the old file's mode, the old file kept as iFileNameBak (a hard
// link, so the running process keeps its inode), then renamed over iFileName.
// On failure nothing has changed; returns what failed, empty on success.
QString swapInExecutable(const QString& iFileName, QFile& downloaded, const QString& iFileNameBak);

// True when a file can be made in folder (the only test that also holds for
// read-only file systems and for root).
bool folderTakesNewFiles(const QString& folder);
