#include "frmColorSettings.h"

#include "GeneralUtilities.h"
#include "PlatformServices.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {

// The names offered, in list order; "Red" is named in the table but not offered.
const char *const OfferedNames[] = {"Black", "White",   "Blue", "Dark Blue",  "Yellow",
                                    "Green", "Magenta", "Cyan", "Light Gray", "Dark Gray"};

QLabel *label(const char *name, const char *caption)
{
    auto *result = new QLabel(QString::fromLatin1(caption));
    result->setObjectName(QString::fromLatin1(name));
    return result;
}

// A name field: a list of the offered names that also takes a typed name.
QComboBox *nameField(const char *name)
{
    auto *field = new QComboBox;
    field->setObjectName(QString::fromLatin1(name));
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    for (const char *colorName : OfferedNames)
        field->addItem(QString::fromLatin1(colorName));
    return field;
}

// A titled group: a heading over rows of caption and field, inside a border.
QFrame *group(const char *borderName, QLabel *heading,
              std::initializer_list<std::pair<QLabel *, QComboBox *>> rows)
{
    auto *border = new QFrame;
    border->setObjectName(QString::fromLatin1(borderName));
    border->setFrameShape(QFrame::Box);
    auto *grid = new QGridLayout(border);
    grid->addWidget(heading, 0, 0, 1, 2);
    int row = 1;
    for (const auto &[caption, field] : rows) {
        grid->addWidget(caption, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    }
    return border;
}

} // namespace

frmColorSettings::frmColorSettings(const DisplayColors &current, MessageBoxes &messageBoxes,
                                   std::function<void(const DisplayColors &)> save, QWidget *parent)
    : QWidget(parent, Qt::Window), m_messageBoxes(messageBoxes), m_save(std::move(save))
{
    setObjectName(QStringLiteral("frmColorSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Color Settings"));

    m_fields = {nameField("cboRecCharColor"), nameField("cboRecFuncColor"),
                nameField("cboXmitCharColor"), nameField("cboXmitFuncColor"),
                nameField("cboBackGroundColor")};
    auto *layout = new QGridLayout(this);
    layout->addWidget(group("shpRecBorder", label("lblReceive", "Receive"),
                            {{label("lblRecCharColor", "Character Color :"), m_fields[0]},
                             {label("lblRecFuncColor", "Function Color :"), m_fields[1]}}),
                      0, 0);
    layout->addWidget(group("shpXmitBorder", label("lblXmit", "Transmit"),
                            {{label("lblXmitCharColor", "Character Color :"), m_fields[2]},
                             {label("lblXmitFuncColor", "Function Color :"), m_fields[3]}}),
                      0, 1);
    auto *background = new QHBoxLayout;
    background->addWidget(label("lblBackGround", "Background Color :"));
    background->addWidget(m_fields[4]);
    layout->addLayout(background, 1, 0);
    auto *buttons = new QHBoxLayout;
    for (const auto &[name, caption, handler] :
         {std::tuple{"cmdSave", "Save", &frmColorSettings::cmdSave_Click},
          std::tuple{"cmdDefault", "Default", &frmColorSettings::cmdDefault_Click}}) {
        auto *button = new QPushButton(QString::fromLatin1(caption));
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, handler);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons, 1, 1);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    showNames(current);
}

void frmColorSettings::cmdDefault_Click()
{
    showNames(DisplayColors());
}

void frmColorSettings::showNames(const DisplayColors &colors)
{
    const std::array<quint32, 5> values = {colors.receiveChar, colors.receiveFunc, colors.xmitChar,
                                           colors.xmitFunc, colors.background};
    for (size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setEditText(GeneralUtilities::ReturnColorName(values[i]));
}

void frmColorSettings::cmdSave_Click()
{
    // Only names of the table are applied: any other text would give black.
    for (QComboBox *field : m_fields) {
        const QString name = field->currentText();
        if (GeneralUtilities::ReturnColorName(GeneralUtilities::ReturnColorValue(name)) != name) {
            m_messageBoxes.information(
                QStringLiteral("\"%1\" is not a color name: choose one from the list.").arg(name));
            field->setFocus();
            return;
        }
    }
    const auto value = [this](size_t field) {
        return GeneralUtilities::ReturnColorValue(m_fields[field]->currentText());
    };
    m_save(DisplayColors{value(0), value(1), value(2), value(3), value(4)});
    close();
}

void frmColorSettings::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    QWidget *main = parentWidget();
    if (main && main->isVisible()) {
        main->raise();
        main->activateWindow();
    }
}
