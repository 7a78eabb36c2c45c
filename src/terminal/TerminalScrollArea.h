#pragma once

#include <QAbstractScrollArea>

class QKeyEvent;

// The scroll area under each terminal view (text and hex). A key pressed in
// it goes first to the keyDown receivers, which may consume it; then to the
// view's own caret and selection keys; a key with text that neither used is
// typed. Tab stays in the view: it is a character for the terminal.
class TerminalScrollArea : public QAbstractScrollArea
{
    Q_OBJECT

public:
    using QAbstractScrollArea::QAbstractScrollArea;

signals:
    // Every key pressed in the view, before the view's own handling: a
    // receiver that accepts the event consumes the key.
    void keyDown(QKeyEvent *event);
    // A key with text that the view did not use (typed characters).
    void keyTyped(QKeyEvent *event);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool) override { return false; }
    // Called first for every key pressed.
    virtual void keyArrived() {}
    // The view's own keys; true when the key was used.
    virtual bool handleNavigationKey(QKeyEvent *event) = 0;
};
