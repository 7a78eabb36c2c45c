#include "DisplayColors.h"
#include "DisplayModel.h"
#include "DisplayView.h"
#include "HexHistory.h"
#include "HexView.h"
#include "TestServices.h"
#include "TimeStampText.h"

#include <QAbstractButton>

#include <QScreen>
#include <QScrollBar>
#include <QTest>

namespace {
// The smallest rectangle holding every pixel that is not the background.
QRect inkBounds(const QImage &image, QRgb background)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool hasColor(const QImage &image, const QRect &area, const QColor &color)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == color)
                return true;
        }
    }
    return false;
}
} // namespace

class TestDisplayView : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void longLinesWrapAtTheViewWidth();
    void keyboardSelection_data();
    void keyboardSelection();
    void readingBackHoldsTheView();
    void partialRepaintsMatchAFullPaint();
    void timeStampsLeadEachLine();
    void hexViewFollowsHoldsAndSelectsRows();

private:
    QPoint cellCenter(int column, int row) const;
    int columns() const;

    DisplayModel *m_model = nullptr;
    DisplayView *m_view = nullptr;
};

void TestDisplayView::init()
{
    m_model = new DisplayModel;
    m_view = new DisplayView(*m_model);
    m_view->resize(400, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestDisplayView::cleanup()
{
    delete m_view;
    delete m_model;
}

int TestDisplayView::columns() const
{
    return (m_view->viewport()->width() - 4) / m_view->cellSize().width();
}

QPoint TestDisplayView::cellCenter(int column, int row) const
{
    const QSize cell = m_view->cellSize();
    return {2 + column * cell.width() + cell.width() / 4, row * cell.height() + cell.height() / 2};
}

void TestDisplayView::longLinesWrapAtTheViewWidth()
{
    const int cols = columns();
    QVERIFY(cols > 10);
    // One line three rows long, then enough short lines to need scrolling.
    m_model->putInDisplay(QByteArray(cols * 2 + 1, 'w'), 1, "[CR ]");
    m_model->putInDisplay("[CR ]", 1, "[CR ]");
    for (int i = 0; i < 100; ++i) {
        m_model->putInDisplay("x", 1, "[CR ]");
        m_model->putInDisplay("[CR ]", 1, "[CR ]");
    }
    m_view->updateNow();
    const int totalRows = 3 + 100 + 1;
    QCOMPARE(m_view->verticalScrollBar()->maximum(), totalRows - m_view->visibleRowCount());

    m_view->verticalScrollBar()->setValue(0);
    QCOMPARE(m_view->positionAt(cellCenter(0, 1)), cols);
    QCOMPARE(m_view->positionAt(cellCenter(0, 2)), 2 * cols);
    QCOMPARE(m_view->positionAt(cellCenter(9, 2)), 2 * cols + 6); // past the end of the line
    QCOMPARE(m_view->positionAt(cellCenter(0, 3)), 2 * cols + 1 + 5 + 2);
    // A drag of the mouse selects.
    int released = 0;
    connect(m_view, &DisplayView::mouseReleased, this, [&] { ++released; });
    QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, cellCenter(0, 1));
    QTest::mouseMove(m_view->viewport(), cellCenter(0, 2));
    QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, cellCenter(0, 2));
    QCOMPARE(m_model->selectedText(), QByteArray(cols, 'w'));
    QCOMPARE(released, 1);

    // A narrower view wraps again.
    m_view->resize(200, 300);
    m_view->updateNow();
    QVERIFY(m_view->verticalScrollBar()->maximum() > totalRows - m_view->visibleRowCount());
}

void TestDisplayView::keyboardSelection_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<QByteArray>("selected");
    QTest::addColumn<qsizetype>("caret");

    const auto row = [](const char *name, QList<int> keys, const QByteArray &selected,
                        qsizetype caret) { QTest::newRow(name) << keys << selected << caret; };
    const int shift = int(Qt::ShiftModifier);
    const int ctrlHome = int(Qt::ControlModifier) | Qt::Key_Home;
    const int left = Qt::Key_Left;
    const int right = Qt::Key_Right;
    row("left over the line break", {left, left, left, shift | left, shift | left}, "c\r\n", 2);
    row("shift home", {shift | Qt::Key_Home}, "def", 5);
    row("shift up keeps the column", {shift | Qt::Key_Up}, "\r\ndef", 3);
    row("ctrl home then shift end", {ctrlHome, shift | Qt::Key_End}, "abc", 3);
    row("right over the line break", {ctrlHome, right, right, right, shift | right}, "\r\n", 5);
    row("end goes to the end of the text", {ctrlHome, shift | right, Qt::Key_End}, "", 8);
}

void TestDisplayView::keyboardSelection()
{
    QFETCH(QList<int>, keys);
    QFETCH(QByteArray, selected);
    QFETCH(qsizetype, caret);

    m_model->putInDisplay("abc", 1, "[CR ]");
    m_model->putInDisplay("\r\n", 1, "[CR ]");
    m_model->putInDisplay("def", 1, "[CR ]");
    m_view->updateNow();
    for (const int key : keys) {
        const auto modifiers = Qt::KeyboardModifiers(key & int(Qt::KeyboardModifierMask));
        QTest::keyClick(m_view, Qt::Key(key & ~int(Qt::KeyboardModifierMask)), modifiers);
    }
    QCOMPARE(m_model->selectedText(), selected);
    QCOMPARE(m_model->caret(), caret);
}

void TestDisplayView::readingBackHoldsTheView()
{
    int next = 0;
    const auto addLines = [&](int count) {
        for (const int end = next + count; next < end; ++next) {
            m_model->putInDisplay(QByteArray::number(next).rightJustified(6, '0'), 1, "[CR ]");
            m_model->putInDisplay("[CR ]", 1, "[CR ]");
        }
        m_view->updateNow();
    };
    const auto topLine = [&] { return m_model->textView(m_view->positionAt(cellCenter(0, 0)), 6); };
    QScrollBar *bar = m_view->verticalScrollBar();
    auto *hint = m_view->findChild<QAbstractButton *>(QStringLiteral("newDataHint"));
    QVERIFY(hint);
    m_view->setFocus();
    addLines(300);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(hint->isHidden());

    // Scrolled up by the user, the view keeps its first line while data
    // arrive, and a hint in its corner says that new data wait below.
    bar->setValue(100);
    QCOMPARE(topLine(), "000100");
    addLines(300);
    QCOMPARE(topLine(), "000100");
    QVERIFY(hint->isVisible());
    QVERIFY(m_view->viewport()->geometry().contains(hint->geometry()));
    // The display passes 499,000 characters and its oldest 1000 are trimmed:
    // the same line stays on top, a few rows higher in the text.
    m_model->putInDisplay(QByteArray(499000 - m_model->length(), 'p'), 1, "[CR ]");
    addLines(1);
    QVERIFY(m_model->origin() > 0);
    QCOMPARE(topLine(), "000100");
    QCOMPARE(bar->value(), 100 - int(m_model->origin()) / 13);

    // Back at the end by the scroll bar, it follows again.
    bar->setValue(bar->maximum());
    QVERIFY(hint->isHidden());
    addLines(20);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(m_model->caret(), m_model->length());

    // A selection made with the Shift keys holds the view and survives appends.
    QTest::keyClick(m_view, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(m_view, Qt::Key_Up, Qt::ShiftModifier);
    const QByteArray selected = m_model->selectedText();
    const int held = bar->value();
    addLines(50);
    QCOMPARE(m_model->selectedText(), selected);
    QCOMPARE(bar->value(), held);
    QVERIFY(hint->isVisible());

    // A click on the hint follows again; the keys stay with the view.
    QTest::mouseClick(hint, Qt::LeftButton);
    QVERIFY(hint->isHidden());
    QCOMPARE(m_model->selectionLength(), 0);
    addLines(5);
    QCOMPARE(bar->value(), bar->maximum());
    QCOMPARE(m_model->caret(), m_model->length());
    QCOMPARE(m_view->focusWidget(), m_view);

    m_model->clear();
    QTRY_COMPARE(bar->maximum(), 0);
}

void TestDisplayView::partialRepaintsMatchAFullPaint()
{
    // What the screen shows after frames of appended text, moved rows and
    // trimming, scroll bar included, must be what a full paint of the same
    // content shows.
    const auto onScreen = [&] {
        const QPoint at = m_view->mapTo(m_view->window(), QPoint(0, 0));
        return m_view->screen()
            ->grabWindow(m_view->window()->winId(), at.x(), at.y(), m_view->width(),
                         m_view->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto fullPaint = [&] {
        return m_view->grab().toImage().convertToFormat(QImage::Format_RGB32);
    };

    m_view->setFocus();
    for (int frame = 0; frame < 12; ++frame) {
        // The scroll bar's handle shrinks over the first frames, then the
        // display fills up and trims.
        if (frame == 6)
            m_model->putInDisplay(QByteArray(499000 - 300, 'p'), 1, "[CR ]");
        for (int line = 0; line < 3 + frame % 4; ++line) {
            m_model->putInDisplay(QByteArray(7 + 13 * frame, char('a' + frame)), 0x00FF00, "[CR ]");
            m_model->putInDisplay("[CR ]", 0x00FFFF, "[CR ]");
        }
        m_model->putInDisplay("tail", 0xFF00FF, "[CR ]");
        m_view->updateNow();
        QCoreApplication::processEvents();
        QCOMPARE(onScreen(), fullPaint());
    }
}

void TestDisplayView::timeStampsLeadEachLine()
{
    // "hh:mm:ss.mmm " takes 13 cells before every line; rows wrap in the rest.
    ManualClock clock;
    clock.current = QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9, 10));
    m_model->setClock(&clock);
    const int cols = columns();
    m_model->putInDisplay(QByteArray(cols, 'w'), 0xFFFFFF, "[CR ]");
    m_model->putInDisplay("[CR ]", 0xFFFFFF, "[CR ]");
    m_model->putInDisplay("x", 0xFFFFFF, "[CR ]");
    QScrollBar *bar = m_view->verticalScrollBar();
    bar->setValue(0);
    m_view->setTimeStampsShown(true);
    QCOMPARE(m_view->positionAt(cellCenter(13, 0)), 0);
    QCOMPARE(m_view->positionAt(cellCenter(13, 1)), cols - 13);
    QCOMPARE(m_view->positionAt(cellCenter(13, 2)), cols + 7);

    // The stamp is drawn in its own color, on the first row of a line only.
    const QImage image = m_view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor stamp = TimeStampText::colorOn(QColor(0, 0, 0x80));
    const QSize cell = m_view->cellSize();
    const auto stampInRow = [&](int row) {
        return hasColor(image, QRect(0, row * cell.height(), 2 + 12 * cell.width(), cell.height()),
                        stamp);
    };
    QCOMPARE(std::tuple(stampInRow(0), stampInRow(1), stampInRow(2)),
             std::tuple(true, false, true));
    // Characters sit in their cells: the x after its stamp.
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    const QRect xCell(2 + 12 * cell.width(), 2 * cell.height(), 2 * cell.width(), cell.height());
    QVERIFY(
        QRect(QPoint(cell.width(), 0), cell).contains(inkBounds(image.copy(xCell), background)));
    // A line partly selected is still led by its stamp.
    QCOMPARE(TimeStampText().stamped(*m_model, cols + 3, 5), "07:08:09.010  ]\r\n07:08:09.010 x");
}

void TestDisplayView::hexViewFollowsHoldsAndSelectsRows()
{
    ManualClock clock;
    HexHistory history(clock);
    DisplayColors colors;
    colors.receiveChar = 0x00FFFF; // yellow
    colors.xmitChar = 0x00FF00;    // green
    colors.background = 0x000000;
    HexView view(history, colors);
    view.resize(700, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setFocus();

    // Each row in its direction's color; events in red.
    history.received("received");
    history.sent("sent");
    history.event(QStringLiteral("break"));
    view.updateNow();
    const QImage image = view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QSize cell = view.cellSize();
    const auto rowHas = [&](int row, QColor color) {
        return hasColor(image, QRect(0, row * cell.height(), image.width(), cell.height()), color);
    };
    const QColor yellow(Qt::yellow), green(Qt::green), red(Qt::red);
    QVERIFY(rowHas(0, yellow) && !rowHas(0, green));
    QVERIFY(rowHas(1, green) && !rowHas(1, yellow));
    QVERIFY(rowHas(2, red) && !rowHas(2, green));

    QScrollBar *bar = view.verticalScrollBar();
    const auto addRows = [&](int count) {
        for (int i = 0; i < count; ++i)
            history.received(QByteArray(16, char('a' + i % 26)));
        view.updateNow();
    };
    const auto rowCenter = [&](int row) {
        return QPoint(cell.width() * 5, cell.height() * row + 2);
    };
    addRows(197);
    QCOMPARE(bar->maximum(), 200 - view.visibleRowCount());
    QCOMPARE(bar->value(), bar->maximum());

    // Scrolled up by the user, the view keeps its rows while data arrive.
    bar->setValue(50);
    const qint64 top = view.rowAt(QPoint(0, 0));
    addRows(100);
    QCOMPARE(view.rowAt(QPoint(0, 0)), top);

    // Rows selected with the mouse, then one more with Shift and Down; Copy gives them as text.
    QWidget *area = view.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, rowCenter(1));
    QTest::mouseMove(area, rowCenter(3));
    QTest::mouseRelease(area, Qt::LeftButton, {}, rowCenter(3));
    QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(view.selectedText(), history.text(top + 1, top + 4));

    // Past the end of what is kept, held rows and their selection fall away whole.
    bar->setValue(bar->maximum());
    QVERIFY(view.isFollowing());
    QVERIFY(!view.hasSelection());
    QTest::keyClick(&view, Qt::Key_Up, Qt::ShiftModifier);
    QVERIFY(!view.isFollowing());
    QCOMPARE(view.selectionLast() - view.selectionFirst(), 1);
    QTest::keyClick(&view, Qt::Key_Home, Qt::ShiftModifier);
    QCOMPARE(view.selectionFirst(), history.firstRow());
    addRows(1000000 / 16);
    // The history keeps the newest million bytes; rows fall away whole.
    QVERIFY(history.byteCount() >= 1000000);
    QVERIFY(history.byteCount() - history.row(history.firstRow()).count < 1000000);
    QVERIFY(!view.hasSelection());
    QCOMPARE(view.rowAt(QPoint(0, 0)), history.firstRow());
    QCOMPARE(bar->value(), 0);
}

QTEST_MAIN(TestDisplayView)
#include "tst_displayview.moc"
