#pragma once

#include <QString>

// A pseudo-terminal pair of which the simulator keeps only the master. The slave is opened once,
// to make it raw (no echo back into the master, no line editing), and closed again: the terminal
// under test opens it itself. Having been opened and closed, the slave makes the master report
// POLLHUP until someone opens it again; a fresh pair would not.
class PseudoTerminal
{
public:
    PseudoTerminal() = default;
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    ~PseudoTerminal();

    bool open(QString *error);
    // Makes linkPath a symbolic link to the slave; an existing symbolic link there is replaced.
    bool link(const QString &linkPath, QString *error);

    int master() const { return m_master; }
    QString slavePath() const { return m_slavePath; }
    // The device vanishes: the terminal's descriptor hangs up and the slave path disappears.
    void closeMaster();

private:
    void removeLink();

    int m_master = -1;
    QString m_slavePath;
    QString m_linkPath;
};
