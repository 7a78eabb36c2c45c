#pragma once

#include <QPointer>
#include <QWidget>

// Explains the token formats accepted in function-key strings.
class frmStringsHelp : public QWidget
{
    Q_OBJECT

public:
    // OK returns the keyboard focus to focusOnOk (the first string box).
    explicit frmStringsHelp(QWidget *focusOnOk, QWidget *parent = nullptr);

    void cmdOK_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<QWidget> m_focusOnOk;
};
