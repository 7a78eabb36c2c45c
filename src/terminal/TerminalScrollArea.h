#pragma once

#include <QAbstractScrollArea>

#include <memory>

class LatinGlyphs;
class QKeyEvent;

// The scroll area under each terminal view (text and hex). A key pressed in
// it goes first to the keyDown receivers, which may consume it; then to the
// view's own caret and selection keys; a key with text that neither used is
// typed. Tab stays in the view: it is a character for the terminal. Both views
// draw the terminal font's glyphs in whole-pixel cells, with the calm
// vertical scroll bar always shown, and paint every pixel themselves.
class TerminalScrollArea : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TerminalScrollArea(QWidget *parent = nullptr);
    ~TerminalScrollArea() override;

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

    std::unique_ptr<LatinGlyphs> m_glyphs;
    int m_charWidth = 1;  // the cell in pixels
    int m_lineHeight = 1;
};
