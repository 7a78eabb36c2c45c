#include "CompareTest.h"

namespace {
constexpr int QuietTicksToJudge = 4;
} // namespace

CompareTest::Verdict CompareTest::tick(QByteArrayView displayText, bool holdBadReads)
{
    if (displayText.isEmpty())
        return Verdict::None;

    Verdict verdict = Verdict::None;
    qsizetype length = displayText.size();
    if (length == lngLastLength && ++intQuietCount >= QuietTicksToJudge) {
        const bool good = displayText == QByteArrayView(m_standard);
        if (!good && holdBadReads)
            return Verdict::BadHeld;
        verdict = good ? Verdict::Good : Verdict::Bad;
        intQuietCount = 0;
        length = 0;
    }
    lngLastLength = length;
    return verdict;
}
