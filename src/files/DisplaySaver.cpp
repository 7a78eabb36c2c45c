#include "DisplaySaver.h"

#include "CommonDialog.h"
#include "DisplayModel.h"
#include "FileTarget.h"
#include "GeneralUtilities.h"
#include "PlatformServices.h"
#include "TimeStampText.h"

#include <QDir>

namespace {
const QString SaveTitle = QStringLiteral("Set File Name And Location To Save.");
constexpr QByteArrayView LineEnd("\r\n");
constexpr qsizetype TokenLength = 5;
} // namespace

DisplaySaver::DisplaySaver(DisplayModel &model, CommonDialog &dialog, MessageBoxes &messages,
                           const QString &baseDirectory)
    : m_model(model), m_dialog(dialog), m_messages(messages), m_baseDirectory(baseDirectory)
{
}

template <typename MakeContent>
std::optional<DisplaySaver::Failure> DisplaySaver::save(const QString &title,
                                                        MakeContent makeContent)
{
    const QString path = m_dialog.showSave(title);
    if (path.isEmpty())
        return Failure{NoFileName, QStringLiteral("No file name was chosen.")};
    FileTarget file(QDir(m_baseDirectory).absoluteFilePath(path));
    const QString name = QDir::toNativeSeparators(file.fileName());
    if (!file.open()) {
        return Failure{
            OpenFailed,
            QStringLiteral("The file %1 could not be opened: %2").arg(name, file.errorString())};
    }
    const QByteArray content = makeContent();
    if (!file.write(content) || !file.write(LineEnd) || !file.commit()) {
        return Failure{
            WriteFailed,
            QStringLiteral("The file %1 could not be written: %2").arg(name, file.errorString())};
    }
    return std::nullopt;
}

void DisplaySaver::saveText(bool timeStamps)
{
    save(SaveTitle, [this, timeStamps] {
        return timeStamps ? TimeStampText().stamped(m_model, 0, m_model.length()) : m_model.text();
    });
}

bool DisplaySaver::saveAscii()
{
    bool read = false;
    const auto failure = save(SaveTitle, [this, &read] {
        const QByteArray ascii = AsciiForm(m_model.textView(0, m_model.length()));
        // The display is read through its selection, which ends past the last character.
        m_model.setSelection(m_model.length(), 0);
        read = true;
        return ascii;
    });
    if (failure)
        report(*failure);
    return read;
}

void DisplaySaver::report(const Failure &failure)
{
    const QString number = QString::number(int(failure.number));
    m_messages.information(QStringLiteral("error Number ") + number);
    m_messages.information(QStringLiteral("Error Number ") + number + QStringLiteral("\r\n") +
                           failure.description);
}

QByteArray DisplaySaver::AsciiForm(QByteArrayView displayText)
{
    QByteArray ascii;
    ascii.reserve(displayText.size());
    const qsizetype length = displayText.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char c = displayText[i];
        if (c == '\r' || c == '\n')
            continue;
        if (c == '[' && i + TokenLength <= length && displayText[i + TokenLength - 1] == ']') {
            ascii += GeneralUtilities::DecodeTokenString(displayText.sliced(i, TokenLength));
            i += TokenLength - 1;
            continue;
        }
        // A single character decodes to itself.
        ascii += c;
    }
    return ascii;
}
