#include "frmStringsHelp.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString joinLines(std::initializer_list<const char *> pieces)
{
    QStringList lines;
    for (const char *piece : pieces)
        lines.append(QString::fromLatin1(piece));
    return lines.join(QStringLiteral("\r\n"));
}

QLabel *addLabel(QVBoxLayout *layout, const char *name, const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(QString::fromLatin1(name));
    label->setWordWrap(true);
    layout->addWidget(label);
    return label;
}

} // namespace

frmStringsHelp::frmStringsHelp(QWidget *focusOnOk, QWidget *parent)
    : QWidget(parent, Qt::Window), m_focusOnOk(focusOnOk)
{
    setObjectName(QStringLiteral("frmStringsHelp"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("How to use Strings"));

    auto *layout = new QVBoxLayout(this);
    addLabel(layout, "Label1",
             QStringLiteral("Strings page is to setup Function keys to transmit whole strings of "
                            "text with a single key press. "));
    addLabel(layout, "Label2", QStringLiteral("The following are acceptable formats :"));
    addLabel(layout, "Label3",
             joinLines({"Functions below $20 on the ASCII chart.", "[CR] or [cr]",
                        "[x0D] or [X0d]", "[0x0d] or [0X0D]"}));
    addLabel(layout, "Label4",
             joinLines({"Standard alpha numeric and punctuation characters,",
                        "just type them as they are."}));
    addLabel(layout, "Label5",
             joinLines({"Characters above $7E on the ASCII chart.", "[x8a] or [X8A]",
                        "[0x8a] or [X8A]"}));
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("cmdOK"));
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, &frmStringsHelp::cmdOK_Click);
}

void frmStringsHelp::cmdOK_Click()
{
    if (m_focusOnOk)
        m_focusOnOk->setFocus();
    close();
}

void frmStringsHelp::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}
