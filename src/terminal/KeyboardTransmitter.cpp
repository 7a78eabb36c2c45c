#include "KeyboardTransmitter.h"

#include "CommPort.h"
#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayOptions.h"
#include "GeneralUtilities.h"
#include "StringSetStore.h"

namespace {
// Room kept free in the output queue, and the pause between polls of a full one.
constexpr int QueueReserve = 10;
constexpr int QueuePollMs = 1;
} // namespace

KeyboardTransmitter::KeyboardTransmitter(CommPort &port, DisplayModel &model,
                                         const DisplayOptions &options, const DisplayColors &colors,
                                         const StringSetStore &strings, QObject *parent)
    : QObject(parent), m_port(port), m_model(model), m_options(options), m_colors(colors),
      m_strings(strings)
{
    m_stepTimer.setSingleShot(true);
}

quint32 KeyboardTransmitter::echoColor(uchar character, bool *isFunction) const
{
    const bool function = GeneralUtilities::FunctionFlag(character) != 0;
    if (isFunction)
        *isFunction = function;
    return function ? m_colors.xmitFunc : m_colors.xmitChar;
}

void KeyboardTransmitter::keyPress(uchar character)
{
    const bool open = m_port.PortOpen();
    if (open)
        send(QByteArray(1, char(character)));
    const auto token = GeneralUtilities::CharacterTokenOf(character, m_options);
    const quint32 color = open ? echoColor(character) : ColorValue::Red;
    m_model.putInDisplay(token.text, color, m_options.breakCharacter());
}

bool KeyboardTransmitter::keyDown(int keyCode, int shiftState, TransmitStyle style)
{
    const bool functionKey = keyCode >= KeyF1 && keyCode <= KeyF12;
    if (shiftState == CtrlMask)
        return false;
    if (holdingKeys() && functionKey) {
        // Shown now, sent after the string being handed over.
        const QByteArray string = m_strings.decoded(m_strings.currentSet(), keyCode - KeyF1);
        for (const char character : string)
            appendEcho(uchar(character));
        flushEcho();
        send(string);
        return true;
    }
    if (m_busy && !holdingKeys())
        return false;
    if (functionKey) {
        startString(m_strings.decoded(m_strings.currentSet(), keyCode - KeyF1), style);
        return true;
    }
    if (keyCode == KeyBackspace) {
        const quint32 color = m_port.PortOpen() ? m_colors.xmitFunc : ColorValue::Red;
        if (m_options.showFunctionCharacters)
            m_model.putInDisplay("[BS ]", color, m_options.breakCharacter());
        // The character itself goes out here, echoed once above.
        if (m_port.PortOpen())
            send(QByteArray(1, char(KeyBackspace)));
        return true;
    }
    return false;
}

void KeyboardTransmitter::send(const QByteArray &bytes)
{
    if (holdingKeys())
        m_unsent.append(bytes);
    else
        m_port.Output(bytes);
}

void KeyboardTransmitter::startString(const QByteArray &string, TransmitStyle style)
{
    m_busy = true;
    m_string = string;
    m_style = style;
    m_next = 0;
    m_echo.clear();
    m_echoColor = 0;
    continueCharacters();
}

void KeyboardTransmitter::continueCharacters()
{
    while (m_next < m_string.size()) {
        const uchar character = uchar(m_string[m_next]);
        const bool sendEach = m_port.PortOpen() && m_style.receiveInterruptsAllowed;
        if (sendEach && m_port.OutBufferCount() > m_port.OutBufferSize() - QueueReserve) {
            m_stepTimer.callOnTimeout(this, &KeyboardTransmitter::continueCharacters,
                                      Qt::SingleShotConnection);
            m_stepTimer.start(QueuePollMs);
            return;
        }
        appendEcho(character);
        ++m_next;
        if (sendEach) {
            m_port.Output(QByteArray(1, char(character)));
            // The next character follows once pending events have been handled.
            m_stepTimer.callOnTimeout(this, &KeyboardTransmitter::continueCharacters,
                                      Qt::SingleShotConnection);
            m_stepTimer.start(0);
            return;
        }
    }
    finishEcho();
}

void KeyboardTransmitter::appendEcho(uchar character)
{
    // With the port closed nothing goes out, and the echo says so in red.
    const quint32 color = m_port.PortOpen() ? echoColor(character) : ColorValue::Red;
    if (!m_echo.isEmpty() && color != m_echoColor)
        flushEcho();
    m_echo.append(GeneralUtilities::CharacterTokenOf(character, m_options).text);
    m_echoColor = color;
}

void KeyboardTransmitter::flushEcho()
{
    m_model.putInDisplay(m_echo, m_echoColor, m_options.breakCharacter());
    m_echo.clear();
}

void KeyboardTransmitter::finishEcho()
{
    flushEcho();
    if (m_style.fullStrings && m_port.PortOpen()) {
        if (m_port.OutBufferSize() > m_string.size()) {
            m_port.Output(m_string);
        } else {
            m_holdingKeys = true;
            m_unsent = m_string;
            writeChunk();
            return;
        }
    }
    finishString();
}

void KeyboardTransmitter::writeChunk()
{
    const qsizetype chunk = std::max(1, m_port.OutBufferSize() - QueueReserve);
    m_port.Output(m_unsent.left(chunk));
    m_unsent.remove(0, chunk);
    if (m_unsent.isEmpty()) {
        finishString();
        return;
    }
    m_stepTimer.callOnTimeout(this, &KeyboardTransmitter::sendNextChunk, Qt::SingleShotConnection);
    m_stepTimer.start(QueuePollMs);
}

void KeyboardTransmitter::sendNextChunk()
{
    if (!m_port.PortOpen()) {
        m_unsent.clear();
        finishString();
        return;
    }
    if (m_port.OutBufferCount() >= 1) {
        m_stepTimer.callOnTimeout(this, &KeyboardTransmitter::sendNextChunk,
                                  Qt::SingleShotConnection);
        m_stepTimer.start(QueuePollMs);
        return;
    }
    writeChunk();
}

void KeyboardTransmitter::finishString()
{
    m_busy = false;
    m_holdingKeys = false;
    emit stringSent();
}

void KeyboardTransmitter::releaseKeys()
{
    if (m_otherHolds > 0)
        --m_otherHolds;
    if (holdingKeys() || m_unsent.isEmpty())
        return;
    if (m_port.PortOpen())
        m_port.Output(m_unsent);
    m_unsent.clear();
}

qsizetype SelectionCount(QByteArrayView selectedText)
{
    qsizetype count = 0;
    const qsizetype length = selectedText.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char c = selectedText[i];
        if (c == '\r' || c == '\n')
            continue;
        if (c == '[' && i < length - 4 && selectedText[i + 4] == ']')
            i += 4;
        ++count;
    }
    return count;
}
