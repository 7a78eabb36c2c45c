#pragma once

#include <QList>
#include <QString>
#include <QStringView>

class QTextDocument;

// The help window's pages. Each topic is a text with CR LF line breaks, the
// ranges that get the title format and the ranges that get another color.
// Range positions count each CR LF as two characters; a text document holds a
// line break as one paragraph separator, so compose() maps every position to
// the document's own before it formats.
namespace HelpTopics {

constexpr int BodyPointSize = 10;
constexpr int TitlePointSize = 14;
constexpr quint32 BodyColor = 0x000000;  // black
constexpr quint32 TitleColor = 0xFF0000; // blue, as 0x00BBGGRR

struct Range
{
    int start;
    int length;
};

struct ColorRange
{
    int start;
    int length;
    quint32 color; // 0x00BBGGRR
};

struct Topic
{
    QString menuName; // the menu item that shows the topic
    QString text;
    QList<Range> titles;
    QList<ColorRange> colors;
};

// Shown when the window opens, without formatting.
QString introduction();

// Every topic, in menu order.
const QList<Topic> &all();
// The topic a menu item shows, or nullptr.
const Topic *find(QStringView menuName);

// The document position of position in text, where text counts CR LF as two
// characters and the document as one. A position on the LF of a CR LF is the
// start of the next line.
int documentPosition(QStringView text, int position);

// Replaces the document's text with the topic's, all in the body format, then
// applies the title ranges and the color ranges in that order.
void compose(QTextDocument &document, const Topic &topic);

} // namespace HelpTopics
