#pragma once

#include "DisplayColors.h"

#include <QWidget>

#include <array>
#include <functional>

class MessageBoxes;
class QComboBox;

// Chooses the five display colors by name. The fields hold names only; Save
// turns them into values and hands them to the main window, and any other way
// of closing applies nothing. A typed name that is not in the color table is
// refused with a message, and nothing is applied. However the window closes,
// the main window (its parent) comes back to the front.
class frmColorSettings : public QWidget
{
    Q_OBJECT

public:
    frmColorSettings(const DisplayColors &current, MessageBoxes &messageBoxes,
                     std::function<void(const DisplayColors &)> save, QWidget *parent);

    void cmdSave_Click();
    // Shows the default setup's names; nothing is applied until Save.
    void cmdDefault_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showNames(const DisplayColors &colors);

    MessageBoxes &m_messageBoxes;
    std::function<void(const DisplayColors &)> m_save;
    // Receive character, receive function, transmit character, transmit
    // function, background.
    std::array<QComboBox *, 5> m_fields{};
};
