#pragma once

#include <QByteArray>
#include <QWidget>

#include <array>
#include <functional>

class MessageBoxes;
class QLabel;
class QLineEdit;
class QPushButton;

// Chooses the character after which the display starts a new line: one of 32
// buttons for the control characters, the character typed, or its code typed
// in hexadecimal. The choice is kept as the character's plain display token
// and reaches the main window only on Save.
class frmBreakCharacter : public QWidget
{
    Q_OBJECT

public:
    frmBreakCharacter(const QByteArray &breakCharacter, MessageBoxes &messageBoxes,
                      std::function<void(const QByteArray &)> save, QWidget *parent);

    void optFunction_Click();
    void optCharacter_Click();
    void optHexFormat_Click();
    void cmdCharacter_Click(int code);
    void cmdEnter_Click();
    void cmdSave_Click();

private:
    enum class Mode
    {
        None,
        Function,
        Character,
        HexNumber
    };

    void txtInput1_Change();
    void showTyping(const QString &instructions);
    void select(int code);

    MessageBoxes &m_messageBoxes;
    std::function<void(const QByteArray &)> m_save;
    QByteArray m_selected;
    Mode m_mode = Mode::None;

    QLabel *lblBreakChar = nullptr;
    QLabel *lblInstructions = nullptr;
    QLineEdit *txtInput1 = nullptr;
    QPushButton *cmdEnter = nullptr;
    std::array<QPushButton *, 32> m_characterButtons{};
};
