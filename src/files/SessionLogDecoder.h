#pragma once

#include <QByteArray>
#include <QList>

#include "SessionLogLines.h"

class QIODevice;
class QString;

// Reads a session log back into the bytes of one direction, with the token
// decoder of the Ascii save. Event lines are skipped; a line that is not a
// log line is counted as bad and skipped.
namespace SessionLogDecoder {

struct Result
{
    QByteArray bytes;
    QList<int> badLines; // numbered from 1
};

Result decode(QByteArrayView log, SessionLogLines::Direction direction);

// The --decode-log command: writes the bytes of one direction of the log at
// path to out and returns the exit code, 0 when every line was read. Problems
// go to errors, a line each.
int decodeFile(const QString &path, SessionLogLines::Direction direction, QIODevice &out,
               QIODevice &errors);

} // namespace SessionLogDecoder
