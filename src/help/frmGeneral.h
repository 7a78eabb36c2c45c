#pragma once

#include <QMainWindow>

class QTextEdit;

// General help: a menu bar that mirrors the main window's controls and menus,
// and a text area that shows the topic of the item last chosen.
class frmGeneral : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmGeneral(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows the topic of a menu item: the text replaced, the titles and
    // colors applied, the caret at the end.
    void showTopic(const QString &menuName);
    void buildMenus();
    void centerOnScreen();

    QTextEdit *rtbDisplay;
    bool m_centered = false;
};
