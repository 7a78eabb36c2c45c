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
                                         const DisplayOptions &options,
                                         const DisplayColors &colors,
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
    if (holdingKeys()) {
        m_heldKeys.push_back([this, character] { keyPress(character); });
        return;
    }
    const bool open = m_port.PortOpen();
    if (open)
        m_port.Output(QByteArray(1, char(character)));
    const auto token = GeneralUtilities::CharacterTokenOf(character, m_options);
    const quint32 color = open ? echoColor(character) : ColorValue::Red;
    m_model.putInDisplay(token.text, color, m_options.breakCharacter());
}

bool KeyboardTransmitter::keyDown(int keyCode, int shiftState, TransmitStyle style)
{
    if (holdingKeys() && ((keyCode >= KeyF1 && keyCode <= KeyF12) || keyCode == KeyBackspace)) {
        m_heldKeys.push_back(
            [this, keyCode, shiftState, style] { keyDown(keyCode, shiftState, style); });
        return true;
    }
    if (m_busy || shiftState == CtrlMask)
        return false;
    if (keyCode >= KeyF1 && keyCode <= KeyF12) {
        startString(m_strings.decoded(m_strings.currentSet(), keyCode - KeyF1), style);
        return true;
    }
    if (keyCode == KeyBackspace) {
        const quint32 color = m_port.PortOpen() ? m_colors.xmitFunc : ColorValue::Red;
        if (m_options.showFunctionCharacters)
            m_model.putInDisplay("[BS ]", color, m_options.breakCharacter());
        // The character itself goes out here, echoed once above.
        if (m_port.PortOpen())
            m_port.Output(QByteArray(1, char(KeyBackspace)));
        return true;
    }
    return false;
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
        const quint32 color = echoColor(character);
        if (!m_echo.isEmpty() && color != m_echoColor)
            flushEcho();
        m_echo.append(GeneralUtilities::CharacterTokenOf(character, m_options).text);
        m_echoColor = color;
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

void KeyboardTransmitter::flushEcho()
{
    m_model.putInDisplay(m_echo, m_echoColor, m_options.breakCharacter());
    m_echo.clear();
}

void KeyboardTransmitter::finishEcho()
{
    flushEcho();
    if (m_style.fullStrings && m_port.PortOpen()) {
        m_holdingKeys = true;
        m_nextChunk = 0;
        sendNextChunk();
        return;
    }
    finishString();
}

void KeyboardTransmitter::sendNextChunk()
{
    if (!m_port.PortOpen()) {
        finishString();
        return;
    }
    if (m_nextChunk > 0 && m_port.OutBufferCount() >= 1) {
        m_stepTimer.callOnTimeout(this, &KeyboardTransmitter::sendNextChunk,
                                  Qt::SingleShotConnection);
        m_stepTimer.start(QueuePollMs);
        return;
    }
    if (m_nextChunk >= m_string.size()) {
        finishString();
        return;
    }
    const qsizetype chunk = m_port.OutBufferSize() > m_string.size()
                                ? m_string.size()
                                : std::max(1, m_port.OutBufferSize() - QueueReserve);
    m_port.Output(m_string.mid(m_nextChunk, chunk));
    m_nextChunk += chunk;
    sendNextChunk();
}

void KeyboardTransmitter::finishString()
{
    m_busy = false;
    m_holdingKeys = false;
    emit stringSent();
    runHeldKeys();
}

void KeyboardTransmitter::releaseKeys()
{
    if (m_otherHolds > 0)
        --m_otherHolds;
    runHeldKeys();
}

void KeyboardTransmitter::runHeldKeys()
{
    while (!m_heldKeys.empty() && !holdingKeys()) {
        const std::function<void()> key = std::move(m_heldKeys.front());
        m_heldKeys.pop_front();
        key();
    }
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
