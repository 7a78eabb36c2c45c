#pragma once

#include <QComboBox>

#include <functional>

// An editable port-settings box that changes its setting only on purpose.
// QComboBox steps to the next item on a wheel turn or an arrow key over the
// closed box, and on leaving or opening it replaces the typed text by an item
// that matches it in another case, each time raising activated(). Here
// activated() comes from a pick in the opened list alone; the wheel and the
// arrow keys leave the closed box as it is, and the typed text stays as typed.
// The opened list is wide enough for its longest item. A box given a list
// source takes its list afresh from it each time the list opens.
class SettingsBox : public QComboBox
{
    Q_OBJECT

public:
    explicit SettingsBox(QWidget *parent = nullptr);

    // Replaces the list; the text stays as it is.
    void setItems(const QStringList &items);
    // Fills the list from source now and whenever it opens.
    void setListSource(std::function<QStringList()> source);
    void showPopup() override;

protected:
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::function<QStringList()> m_listSource;
};
