#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The judge of the compare test. The window feeds it the display text at
// every tick of the test timer; it decides when a reading is complete and
// whether it equals the standard.
//
// A reading is complete on the fourth tick on which the display has not
// grown since the tick before. The quiet ticks need not follow one another:
// only a comparison that clears the display starts the count again, so a
// reading arriving in bursts may be judged early. Both values live across
// ticks and across leaving and restarting the test.
class CompareTest
{
public:
    enum class Verdict
    {
        None,    // not judged on this tick
        Good,    // equal to the standard; the caller clears the display
        Bad,     // different; the caller clears the display
        BadHeld, // different, and bad readings are held: the caller stops the test
                 // and leaves the reading on the display
    };

    // The standard is a copy of the display text, compared byte for byte.
    void setStandard(QByteArrayView displayText) { m_standard = displayText.toByteArray(); }
    const QByteArray &standard() const { return m_standard; }

    Verdict tick(QByteArrayView displayText, bool holdBadReads);

private:
    QByteArray m_standard;
    qsizetype lngLastLength = 0; // display length at the last tick with a non-empty display
    int intQuietCount = 0;       // ticks without growth since the last comparison that cleared
};
