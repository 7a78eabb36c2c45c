#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// Ten named sets of twelve function-key strings. Each string is kept as typed
// (tokens included) and decoded (the characters that are sent); writing the
// typed form always rewrites the decoded one. One set is current.
//
// The store holds one spare set (10) and one spare key (12) beyond those in
// use. A restored setup may make the spare set current: it starts empty, has
// no menu item and is never saved.
class StringSetStore
{
public:
    static constexpr int SetCount = 10;
    static constexpr int KeyCount = 12;
    static constexpr int SpareSet = SetCount;
    static constexpr int SetSlots = SetCount + 1;
    static constexpr int KeySlots = KeyCount + 1;

    StringSetStore() { applyDefaults(); }

    void applyDefaults();

    const QByteArray &name(int set) const { return m_names[size_t(set)]; }
    void setName(int set, const QByteArray &name) { m_names[size_t(set)] = name; }

    const QByteArray &typed(int set, int key) const { return m_typed[size_t(set)][size_t(key)]; }
    const QByteArray &decoded(int set, int key) const { return m_decoded[size_t(set)][size_t(key)]; }
    void setString(int set, int key, const QByteArray &typed);

    int currentSet() const { return m_current; }
    // A set from 0 to the spare set.
    void setCurrentSet(int set);
    static bool isSet(int set) { return set >= 0 && set < SetSlots; }

    bool operator==(const StringSetStore &other) const = default;

private:
    std::array<QByteArray, SetSlots> m_names;
    std::array<std::array<QByteArray, KeySlots>, SetSlots> m_typed;
    std::array<std::array<QByteArray, KeySlots>, SetSlots> m_decoded;
    int m_current = 0;
};

// A menu caption that shows Latin-1 text as it stands: an ampersand is shown,
// not taken as an access key.
QString literalMenuCaption(const QByteArray &text);
