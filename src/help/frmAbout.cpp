#include "frmAbout.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace {

// A nine-pin serial connector.
QPixmap connectorPicture()
{
    QPixmap picture(64, 48);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::darkGray, 2));
    painter.setBrush(QColor(0xC0, 0xC0, 0xC0));
    const QPointF shell[] = {{4, 8}, {60, 8}, {52, 40}, {12, 40}};
    painter.drawPolygon(shell, 4);
    painter.setBrush(QColor(0x00, 0x00, 0x80));
    for (int pin = 0; pin < 5; ++pin)
        painter.drawEllipse(QPointF(14 + pin * 9, 18), 2.5, 2.5);
    for (int pin = 0; pin < 4; ++pin)
        painter.drawEllipse(QPointF(18.5 + pin * 9, 30), 2.5, 2.5);
    return picture;
}

QLabel *addLabel(QGridLayout *layout, const char *name, const QString &text, int row)
{
    auto *label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(QFont(QStringLiteral("Arial"), 10));
    label->setWordWrap(true);
    layout->addWidget(label, row, 1);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Wirelook"));

    auto *layout = new QGridLayout(this);
    auto *image = new QLabel;
    image->setObjectName(QStringLiteral("Image1"));
    image->setPixmap(connectorPicture());
    layout->addWidget(image, 0, 0, 4, 1, Qt::AlignTop);
    addLabel(layout, "Label1", QStringLiteral("Wirelook serial communications program"), 0);
    addLabel(layout, "lblRev", QStringLiteral("Revision: 1.3.00"), 1);
    addLabel(layout, "Label2",
             QStringLiteral("This program is free to use, at your own risk. No responsibility "
                            "is accepted for any damage or loss it may cause to equipment, "
                            "data or anything else."),
             2);
    addLabel(layout, "Label3", QStringLiteral("Written by the Wirelook developers."), 3);
    setFixedWidth(420);
}

void frmAbout::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
