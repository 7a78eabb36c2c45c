#include "SessionLogDecoder.h"

#include "DisplaySaver.h"

#include <QFile>
#include <QString>

namespace SessionLogDecoder {

namespace {

bool isStampCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '-' || c == ':' || c == '.' || c == 'T';
}

// The direction mark and the data of a log line, or a mark of 0 when it is none.
std::pair<char, QByteArrayView> split(QByteArrayView line)
{
    const qsizetype blank = line.indexOf(' ');
    if (blank <= 0 || line.size() < blank + 3 || line[blank + 2] != ' ')
        return {0, {}};
    for (const char c : line.first(blank)) {
        if (!isStampCharacter(c))
            return {0, {}};
    }
    const char mark = line[blank + 1];
    if (mark != '<' && mark != '>' && mark != '!')
        return {0, {}};
    return {mark, line.sliced(blank + 3)};
}

} // namespace

bool decodeLine(QByteArrayView line, SessionLogLines::Direction direction, QByteArray &bytes)
{
    if (line.size() > SessionLogLines::LongestLine)
        return false;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return true;
    const auto [mark, data] = split(line);
    if (mark == char(direction))
        bytes += DisplaySaver::AsciiForm(data);
    return mark != 0;
}

Result decode(QByteArrayView log, SessionLogLines::Direction direction)
{
    Result result;
    int number = 0;
    for (qsizetype at = 0; at < log.size();) {
        qsizetype end = log.indexOf('\n', at);
        end = end < 0 ? log.size() : end + 1;
        ++number;
        if (!decodeLine(log.sliced(at, end - at), direction, result.bytes))
            result.badLines.append(number);
        at = end;
    }
    return result;
}

int decodeFile(const QString &path, SessionLogLines::Direction direction, QIODevice &out,
               QIODevice &errors)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        errors.write(QStringLiteral("%1: %2\n").arg(path, file.errorString()).toLocal8Bit());
        return 1;
    }
    // Line by line, so that a log of any length decodes in little memory.
    // A pipe is at its end only when a read gives nothing.
    constexpr qsizetype OutputChunk = 64 * 1024;
    QByteArray bytes;
    int number = 0;
    bool allRead = true;
    constexpr qint64 ReadLimit = SessionLogLines::LongestLine + 2; // more than any log line
    for (QByteArray line; !(line = file.readLine(ReadLimit)).isEmpty();) {
        ++number;
        // A line longer than any log line is bad; the rest of it is read past.
        for (QByteArray rest = line;
             line.size() > SessionLogLines::LongestLine && !rest.isEmpty() && !rest.endsWith('\n');)
            rest = file.readLine(ReadLimit);
        if (!decodeLine(line, direction, bytes)) {
            allRead = false;
            errors.write(QStringLiteral("%1:%2: not a log line, skipped\n")
                             .arg(path)
                             .arg(number)
                             .toLocal8Bit());
        }
        if (bytes.size() >= OutputChunk) {
            out.write(bytes);
            bytes.clear();
        }
    }
    out.write(bytes);
    return allRead ? 0 : 1;
}

} // namespace SessionLogDecoder
