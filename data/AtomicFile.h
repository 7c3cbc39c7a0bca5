#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content in one step: the bytes go to a temporary file in
// the same folder, which is renamed over the target only once it is complete.
// The file is readable by its owner only. Raises EAppError with the file
// system's message when it cannot be written.
void writeFileAtomically(const QString &path, const QByteArray &content);
