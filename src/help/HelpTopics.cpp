#include "HelpTopics.h"

#include "ColorValue.h"

#include <QTextCursor>
#include <QTextDocument>

namespace HelpTopics {

namespace {

QTextCharFormat colorFormat(quint32 color)
{
    QTextCharFormat format;
    format.setForeground(ColorValue::toQColor(color));
    return format;
}

QTextCharFormat sizeAndColorFormat(int pointSize, quint32 color)
{
    QTextCharFormat format = colorFormat(color);
    format.setFontPointSize(pointSize);
    return format;
}

// Selects a range of text, counted with CR LF as two, in the document that holds the text.
void select(QTextCursor &cursor, QStringView text, int start, int length)
{
    const int end = int(qMin(qsizetype(start) + length, text.size()));
    cursor.setPosition(documentPosition(text, qMin(start, end)));
    cursor.setPosition(documentPosition(text, end), QTextCursor::KeepAnchor);
}

} // namespace

QString introduction()
{
    return QStringLiteral(
        "'Wirelook' is a tool designed for testing serial port communications.\r\n\r\n"
        "It doesn't allow you to spy on communications! It is designed to let you see and \r\n"
        "control what data comes in an goes out of a serial comm. port.\r\n\r\n"
        "For more detailed information on its controls, use the menu above to select the \r\n"
        "item of interest.");
}

const QList<Topic> &all()
{
    static const QList<Topic> topics = {
        {"mnuPort",
         "Port Number         \r\n\r\n"
         "This control allows you to select the port you wish to control.\r\n\r\n"
         "You only have control of one port, but you can run more than one instance of 'Wirelook' "
         "if you need to watch more than one port.",
         {{0, 20}},
         {}},
        {"mnuBaud",
         "Baud Rate           \r\n\r\n"
         "This control allows you to select the Baud Rate you want the port to run at."
         "You can use the drop down control or type in the Baud Rate you desire."
         "It can handle odd baud rates, but there will be some error in those odd baud "
         "settings.  If you are using a card that doubles or quadruples the output, be sure to "
         "select that setting under Options.",
         {{0, 20}},
         {}},
        {"mnuParityStopandData",
         "Parity\r\n"
         "Data Bits\r\n"
         "Stop Bits\r\n\r\n"
         "Select the combination you need...",
         {{0, 30}},
         {}},
        {"mnuHandShake",
         "Hand Shaking            \r\n\r\n"
         "This control allows you to turn on and off functions like RTS/CTS and Xon/Xoff.\r\n\r\n"
         "You may want to leave this set at none and manually do those functions by clicking "
         "on the RTS button for RTS/CTS control and assigning the Xon [DC3] and Xoff [DC1] "
         "strings to a couple 'F' keys.  That way you have total control.",
         {{0, 20}},
         {}},
        {"mnuPortActive",
         "Port Active / Free / Busy  \r\n\r\n"
         "This button allows you to release the port so another communications program "
         "can take control of the port.  If you fire 'Wirelook' up when another program has "
         "control of the port, this button will turn yellow and show that the port is busy.",
         {{0, 26}},
         {{4, 7, ColorValue::Green}, {14, 5, ColorValue::Red}, {21, 5, ColorValue::Yellow}}},
        {"mnuRTSCTS",
         "RTS        \r\n\r\n"
         "The RTS button gives you control of the state of the RTS line.\r\n\r\n"
         "CTS   \r\n\r\n"
         "The CTS box will show the last know state of the CTS line.  It is an edge \r\n"
         "triggered event, so when you first fire up the program it will show a '?'\r\n"
         "because it doesn't know the state of the line yet.  On the next transition \r\n"
         "it will detect the state of the line and update the display",
         {{0, 6}, {80, 5}},
         {}},
        {"mnuClearScreen",
         "Clear Screen            \r\n\r\n"
         "Need I say more?....  Just clears the screen quickly",
         {{0, 20}},
         {}},
        {"mnuDataPurge",
         "Data Purge           \r\n\r\n"
         "This program does a lot of work in deciding  what needs to be put on the screen.\r\n"
         "That means it is relatively slow.  If you send a lot of data in at a high speed, you \r\n"
         "can fill up it's memory and start to drop data.  If you get to that point, the program "
         "\r\n"
         "will put up a flag saying that it is dropping data and at that point it will ignore "
         "all\r\n"
         "data coming in until the screen can catch up.  It will then note how many seconds \r\n"
         "of data was lost.  If you don't want to wait for the screen to catch up, you can hit \r\n"
         "the data purge button and it will clear it's memory and start in again.",
         {{0, 20}},
         {}},
        {"mnuDisplay",
         "The Display           \r\n\r\n"
         "The display is a full featured text box.  That means you can cut and paste \r\n"
         "the data it shows into other programs.  This makes a great tool for documenting \r\n"
         "test results!!!  It uses the standard windows key combinations like Ctrl - a to select "
         "\r\n"
         "all the text and Ctrl - c to copy the text.\r\n"
         "The display will put a scroll bar on the right of the display when needed.\r\n\r\n"
         "NOTE: The display is not eternal.  We hang on to 100,000 characters of text \r\n"
         "              then we start dumping the top 1000 characters at a time.",
         {{0, 20}},
         {{397, 5, ColorValue::Red}}},
        {"mnuSaveToFile",
         "Save To File... Ascii Format  \r\n\r\n"
         "This function takes all the data in the display and saves it to a file. It converts all "
         "the function strings "
         "into the actual function characters.  Example [CR ] turns into and actual carrage "
         "return. \r\n\r\n"
         "Save To File... Text Format    \r\n\r\n"
         "This function takes all the data in the display and saves it to file in the exact format "
         "you see it on the screen. ",
         {{0, 30}, {234, 30}},
         {}},
        {"mnuTransmitAFile",
         "Transmit A File  \r\n\r\n"
         "This function pulls in a file that you specify and then transmits that file.",
         {{0, 20}},
         {}},
        {"mnuLogToFile",
         "Log To File  \r\n\r\n"
         "This function records the whole session in a file that you choose: every character "
         "received and sent, each line with the time to the millisecond, and every line event. "
         "The file is added to, never replaced. Choose it again to stop logging.\r\n\r\n"
         "wirelook --decode-log FILE gives back the received characters, and with --sent the "
         "sent ones.",
         {{0, 13}},
         {}},
        {"mnuPrint",
         "Print Screen       \r\n\r\n"
         "This function will print what you see on the sceen, including the settings boxes.\r\n\r\n"
         "Print All Data   \r\n\r\n"
         "This function prints everything in the display including what is above what you see on "
         "the screen.\r\n\r\n"
         "Note: These functions use your default printer and default settings. It also doesn't "
         "perform any sort of word wrap on "
         "the printer, so it may not come out the way you might expect.",
         {{0, 15}, {108, 15}},
         {{231, 5, ColorValue::Red}}},
        {"mnuExit",
         "Exit            \r\n\r\n"
         "Oh come on now........  you know what this does.    :-)",
         {{0, 6}},
         {}},
        {"mnuEdit",
         "Edit            \r\n\r\n"
         "The display window is a full featured text box, which means you can cut and paste "
         "into any other window program using the Ctrl-C  and such.",
         {{0, 6}},
         {}},
        {"mnuColors",
         "Colors           \r\n\r\n"
         "You have five color setting options. \r\n"
         "1 Received characters\r\n"
         "2 Received Functions ( ASCII characters 0x1F and lower)\r\n"
         "                                            ( ASCII characters 0x7F and up)\r\n"
         "3 Transmit Characters\r\n"
         "4 Transmit Functions\r\n"
         "5 Background color\r\n"
         "If you plan to cut and paist data into another document, you might want to select a "
         "light colored "
         "background with darker colored characters.  It prints better.",
         {{0, 20}},
         {}},
        {"mnuStrings",
         "Strings  \r\n\r\n"
         "This menu item opens up a seperate page that allows you to build strings of data that "
         "all can be transmitted at once "
         "with the press of an 'F' key.  These strings are capable of having functions as well as "
         "alpha numeric characters in them.",
         {{0, 10}},
         {}},
        {"mnuTransmitStyle",
         "Transmit Style       \r\n\r\n"
         "This function changes the manner in which strings are transmitted.\r\n\r\n"
         "You can choose to send strings all at once and then start looking for receive events, "
         "or..... "
         "You can choose to send the string one character at a time and look for a receive event "
         "after each one.",
         {{0, 15}},
         {}},
        {"mnuBreakCharacter",
         "Break Character            \r\n\r\n"
         "This will allow you to choose the character that causes a Carrage Return / Line Feed to "
         "happen "
         "on the screen.   By default it is [CR],  so every time you press the Enter key it will "
         "cause the "
         "text to drop down to the next line.  If you were to go in and select the function "
         "character [BS] "
         "you will now cause the text to jumpt to the next line after every 'Back Space' you "
         "type\r\n"
         "This is just so you can control how text will line up on the screen.",
         {{0, 16}},
         {}},
        {"mnuSpaceOption",
         "Space Option  \r\n\r\n"
         "This allows you to select how you would like the space character to show up on the "
         "screen. \r\n"
         "Some times you have to count how many spaces exist in a string of data, and changing it "
         "to "
         "a printable character will make that job much easier.",
         {{0, 13}},
         {}},
        {"mnuHighSpeedRates",
         "High Speed Rates  \r\n\r\n"
         "Checked, the baud box takes any rate up to 4000000 and its list offers the rates of "
         "USB adapters above 115200. Unchecked, 115200 is the highest rate. Whenever the port "
         "opens, the rate the driver really set is read back; a message says so when it is more "
         "than 2% away from the rate asked for.",
         {{0, 16}},
         {}},
        {"mnuDTRActive",
         "DTR Active  \r\n\r\n"
         "Checked, the DTR line is raised; unchecked, it is lowered, also each time the port "
         "opens again. Opening a port may still pulse DTR for a moment before it is lowered. "
         "A port without DTR (a pseudo-terminal) says so.",
         {{0, 10}},
         {}},
        {"mnuSendBreak",
         "Send Break  \r\n\r\n"
         "Sends a break of 250 ms on the line. The display shows it as ***BREAK*** in the "
         "transmit function color, and the session log records it. A port that cannot send a "
         "break (a pseudo-terminal) says so.",
         {{0, 10}},
         {}},
        {"mnuReconnectAutomatically",
         "Reconnect Automatically  \r\n\r\n"
         "Checked, a device that goes away (a cable pulled, a board that resets) is marked "
         "***DEVICE LOST*** in the display instead of a message, the button shows Port Free, and "
         "the port opens again by itself with the same settings, RTS and DTR as soon as the "
         "device is back (***RECONNECTED***). A port opened by its /dev/serial/by-id name is "
         "found again whichever device it has become.",
         {{0, 23}},
         {}},
        {"mnuTimeStamps",
         "Time Stamps  \r\n\r\n"
         "Each line of the display starts with the local time its first character arrived or "
         "was sent, to the millisecond, in a dimmed color. The time is when the bytes were read "
         "from the port, also when the display shows them later. Copy and Save To File, Text "
         "Format, include the times while they are shown; Ascii Format never does.",
         {{0, 11}},
         {}},
        {"mnuHexView",
         "Hex View  \r\n\r\n"
         "Shows the session as rows of bytes in hexadecimal, each with its time, its direction "
         "(< received, > sent) and the same bytes as characters. A row ends where the direction "
         "changes, after a pause of more than 100 ms and after 16 bytes; port events such as a "
         "break or a lost device have rows of their own. The newest million bytes are kept, also "
         "those the display had to drop. Keys go out as from the display; Select All and Copy "
         "take whole rows. Uncheck it to see the text display again.",
         {{0, 8}},
         {}},
        {"mnuSelectStringSet",
         "Select Strings  \r\n\r\n"
         "This function allows you to quickly change what set of strings are assigned to the "
         "function keys.",
         {{0, 15}},
         {}},
        {"mnuViewStrings",
         "View Strings       \r\n\r\n"
         "This function allows you to quickly veiw what keys have what strings assigned to them.  "
         "It will also send any of the strings you click on.",
         {{0, 15}},
         {}},
        {"mnuCompareTest",
         "Compare Test           \r\n"
         "This is a function that allows you to test repeated inputs and compare them to a "
         "set standard.  It will keep running totals of how many good vs. bad readings you "
         "get.  You can select, via. check box, weather the program pauses when it gets a "
         "bad read or just counts it and continues.\r\n\r\n"
         "Sequence of steps:\r\n"
         "     1. Do a single good input. (Let's say you send in '123[CR ]')\r\n"
         "     2. Click on the 'Set Standard' button. (Puts what is on screen in memory)\r\n"
         "     3. Now start sending in the data to compare.\r\n"
         "     4. Wait for it to register.... (Counter increment)\r\n"
         "     5. Repeat.\r\n"
         "Note: How it decides when to compare is it looks for a pause of .3 seconds that "
         "       we have no input. Then compares data on the screen with data in memory.",
         {{0, 20}},
         {{605, 5, ColorValue::Red}}},
    };
    return topics;
}

const Topic *find(QStringView menuName)
{
    for (const Topic &topic : all()) {
        if (topic.menuName == menuName)
            return &topic;
    }
    return nullptr;
}

int documentPosition(QStringView text, int position)
{
    int lineBreaks = 0;
    const qsizetype end = qMin(qsizetype(position), text.size());
    for (qsizetype i = 1; i < end; ++i) {
        if (text[i] == u'\n' && text[i - 1] == u'\r')
            ++lineBreaks;
    }
    return position - lineBreaks;
}

void compose(QTextDocument &document, const Topic &topic)
{
    document.setPlainText(topic.text);
    QTextCursor cursor(&document);
    cursor.select(QTextCursor::Document);
    cursor.setCharFormat(sizeAndColorFormat(BodyPointSize, BodyColor));
    for (const Range &title : topic.titles) {
        select(cursor, topic.text, title.start, title.length);
        cursor.mergeCharFormat(sizeAndColorFormat(TitlePointSize, TitleColor));
    }
    for (const ColorRange &range : topic.colors) {
        select(cursor, topic.text, range.start, range.length);
        cursor.mergeCharFormat(colorFormat(range.color));
    }
}

} // namespace HelpTopics
