#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class CommonDialog;
class DisplayModel;
class MessageBoxes;

// Writes the display to a file the user chooses, each file ending in CR LF.
// The Text form holds the display text as shown, tokens and line breaks
// included, and the lines' time stamps where asked for. The Ascii form holds
// the characters that travelled on the line: every five-character token
// becomes its character and the display's own line breaks are dropped.
//
// A failed Ascii save shows two messages: "error Number n", then the number
// with a description. A failed Text save shows nothing. The file is written
// as FileTarget writes: a file is replaced only once written completely.
class DisplaySaver
{
public:
    enum Error
    {
        NoFileName = 1,
        OpenFailed = 2,
        WriteFailed = 3,
    };

    // A name without a folder is taken in baseDirectory.
    DisplaySaver(DisplayModel &model, CommonDialog &dialog, MessageBoxes &messages,
                 const QString &baseDirectory);

    void saveText(bool timeStamps = false);
    // Returns true when the display was read, which leaves the selection at
    // the end of the text with length 0.
    bool saveAscii();

    static QByteArray AsciiForm(QByteArrayView displayText);

private:
    struct Failure
    {
        Error number;
        QString description;
    };
    // Saves what makeContent returns; it is called once the file is open.
    template <typename MakeContent>
    std::optional<Failure> save(const QString &title, MakeContent makeContent);
    void report(const Failure &failure);

    DisplayModel &m_model;
    CommonDialog &m_dialog;
    MessageBoxes &m_messages;
    QString m_baseDirectory;
};
