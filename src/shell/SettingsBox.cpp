#include "SettingsBox.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QWheelEvent>

#include <algorithm>

SettingsBox::SettingsBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // The box's own handler of a finished edit picks the item matching the
    // text, ignoring case ("0-none" becomes "0-None"), and applies it.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
}

void SettingsBox::setListSource(std::function<QStringList()> source)
{
    m_listSource = std::move(source);
    setItems(m_listSource());
}

void SettingsBox::setItems(const QStringList &items)
{
    const QString text = currentText();
    const QSignalBlocker quiet(this);
    clear();
    addItems(items);
    setCurrentIndex(-1);
    setEditText(text);
}

void SettingsBox::showPopup()
{
    if (m_listSource)
        setItems(m_listSource());
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest =
            std::max(widest, view()->sizeHintForIndex(model()->index(i, modelColumn())).width());
    const int frame = 2 * view()->frameWidth();
    view()->setMinimumWidth(widest + frame + view()->verticalScrollBar()->sizeHint().width());
    QComboBox::showPopup();
}

void SettingsBox::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void SettingsBox::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    const bool steps = key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
                       key == Qt::Key_PageDown;
    const bool opensList = key == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (steps && !opensList) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}
