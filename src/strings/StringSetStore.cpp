#include "StringSetStore.h"

#include "GeneralUtilities.h"

void StringSetStore::applyDefaults()
{
    for (int set = 0; set < SetSlots; ++set) {
        m_names[size_t(set)] = "String Set Number " + QByteArray::number(set + 1);
        for (int key = 0; key < KeyCount; ++key)
            setString(set, key, QByteArray());
    }
    m_names[SpareSet].clear();
    m_names[0] = "Sample String Set";
    setString(0, 0, "Here is a string example[CR]");
    setString(0, 1, "Here is another.... [0x80][x0d]");
    m_current = 0;
}

void StringSetStore::setCurrentSet(int set)
{
    Q_ASSERT(isSet(set));
    m_current = set;
}

void StringSetStore::setString(int set, int key, const QByteArray &typed)
{
    m_typed[size_t(set)][size_t(key)] = typed;
    m_decoded[size_t(set)][size_t(key)] = GeneralUtilities::DecodeTokenString(typed);
}

QString literalMenuCaption(const QByteArray &text)
{
    return QString::fromLatin1(text).replace(QLatin1Char('&'), QLatin1String("&&"));
}
