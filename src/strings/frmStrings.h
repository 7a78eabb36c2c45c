#pragma once

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>

class Latin1Validator;
class MessageBoxes;
class QAction;
class QLineEdit;
class StringSetStore;
class frmStringsHelp;

// The String Setup window: edits one string set at a time, its name and its
// twelve function-key strings as typed. Nothing reaches the store until Save
// (or a switch to another set, which stores the set being left).
//
// The window stores its fields into the set it shows, even when the main
// window has made another set current meanwhile, so one set's fields are
// never stored over another set.
class frmStrings : public QMainWindow
{
    Q_OBJECT

public:
    // updateMenu carries the store into the main window's menus.
    frmStrings(StringSetStore &store, MessageBoxes &messageBoxes,
               std::function<void()> updateMenu, QWidget *parent = nullptr);

    // Stores the fields into the set shown.
    void SaveStrings();
    // Loads the fields from the current set.
    void UpdateDisplay();
    void UpdateMenu();

    void mnuSave_Click();
    void mnuExit_Click();
    void mnuQuickClear_Click();
    void mnuStringSet_Click(int set);
    void mnuHelp_Click();

    int shownSet() const { return m_shownSet; }

private:
    void askToSave();
    void limitField(QLineEdit *field);

    StringSetStore &m_store;
    MessageBoxes &m_messageBoxes;
    std::function<void()> m_updateMenu;
    int m_shownSet = 0;

    Latin1Validator *m_validator = nullptr;
    QLineEdit *txtSetName = nullptr;
    std::array<QLineEdit *, 12> txtXmitStringArray{};
    std::array<QAction *, 10> mnuStringSet{};
    QPointer<frmStringsHelp> m_help;
};
