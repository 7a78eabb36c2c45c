#include "frmBreakCharacter.h"

#include "GeneralUtilities.h"
#include "Latin1Validator.h"
#include "PlatformServices.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>

namespace {

struct CharacterButton
{
    const char *name;
    const char *caption;
};

// Codes 0 to 31 in order, four rows of eight.
constexpr CharacterButton CharacterButtons[32] = {
    {"cmdNull", "NULL"}, {"cmdSOH", "SOH"}, {"cmdSTX", "STX"}, {"cmdETX", "ETX"}, {"cmdEOT", "EOT"},
    {"cmdENQ", "ENQ"},   {"cmdACK", "ACK"}, {"cmdBEL", "BEL"}, {"cmdBS", "BS"},   {"cmdTAB", "TAB"},
    {"cmdLF", "LF"},     {"cmdVT", "VT"},   {"cmdNP", "NP"},   {"cmdCR", "CR"},   {"cmdSO", "SO"},
    {"cmdSI", "SI"},     {"cmdDLE", "DLE"}, {"cmdDC1", "DC1"}, {"cmdDC2", "DC2"}, {"cmdDC3", "DC3"},
    {"cmdDC4", "DC4"},   {"cmdNAK", "NAK"}, {"cmdSYN", "SYN"}, {"cmdETB", "ETB"}, {"cmdCAN", "CAN"},
    {"cmdEM", "EM"},     {"cmdEOF", "EOF"}, {"cmdESC", "ESC"}, {"cmdFS", "FS"},   {"cmdGS", "GS"},
    {"cmdRS", "RS"},     {"cmdUS", "US"}};
constexpr int ButtonsPerRow = 8;

template <typename Widget> Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// A window's layout counts a wrapped label one line high; this one asks for
// the lines its text takes at its set width, so the window grows instead of
// squeezing its neighbours.
void keepLinesWhole(QLabel *label)
{
    label->setMinimumHeight(label->heightForWidth(label->width()));
}

} // namespace

frmBreakCharacter::frmBreakCharacter(const QByteArray &breakCharacter, MessageBoxes &messageBoxes,
                                     std::function<void(const QByteArray &)> save, QWidget *parent)
    : QWidget(parent, Qt::Window), m_messageBoxes(messageBoxes), m_save(std::move(save)),
      m_selected(breakCharacter)
{
    setObjectName(QStringLiteral("frmBreakCharacter"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Select the character you wish to break after"));
    auto *layout = new QGridLayout(this);

    // The runs of blanks lay the two sentences out on two lines.
    auto *caption =
        named(new QLabel(QString(12, QLatin1Char(' ')) +
                         QStringLiteral("You can set the Break Character 1 of 3 ways.") +
                         QString(15, QLatin1Char(' ')) +
                         QStringLiteral("Select the chacter type then the character "
                                        "you  want")),
              "lblChooseFormatCaption");
    caption->setWordWrap(true);
    caption->setFixedWidth(caption->fontMetrics().horizontalAdvance(caption->text()) * 11 / 20);
    keepLinesWhole(caption);
    layout->addWidget(caption, 0, 0, 1, 3);

    auto *function = named(new QRadioButton(QStringLiteral("Function")), "optFunction");
    auto *character = named(new QRadioButton(QStringLiteral("Character")), "optCharacter");
    auto *hexFormat = named(new QRadioButton(QStringLiteral("Hex number")), "optHexFormat");
    connect(function, &QRadioButton::clicked, this, &frmBreakCharacter::optFunction_Click);
    connect(character, &QRadioButton::clicked, this, &frmBreakCharacter::optCharacter_Click);
    connect(hexFormat, &QRadioButton::clicked, this, &frmBreakCharacter::optHexFormat_Click);
    layout->addWidget(function, 1, 0);
    layout->addWidget(character, 1, 1);
    layout->addWidget(hexFormat, 1, 2);

    auto *selected =
        named(new QGroupBox(QStringLiteral("Presently Selected Character")), "fraSelectedChar");
    auto *selectedLayout = new QVBoxLayout(selected);
    lblBreakChar = named(new QLabel(QString::fromLatin1(m_selected)), "lblBreakChar");
    lblBreakChar->setFont(QFont(QStringLiteral("Arial"), 14));
    lblBreakChar->setAlignment(Qt::AlignCenter);
    selectedLayout->addWidget(lblBreakChar);
    layout->addWidget(selected, 2, 0, 1, 3);

    lblInstructions = named(new QLabel, "lblInstructions");
    lblInstructions->setWordWrap(true);
    lblInstructions->setFixedWidth(caption->width());
    lblInstructions->hide();
    layout->addWidget(lblInstructions, 3, 0, 1, 3);
    txtInput1 = named(new QLineEdit, "txtInput1");
    txtInput1->setValidator(new Latin1Validator(txtInput1->maxLength(), txtInput1));
    txtInput1->hide();
    connect(txtInput1, &QLineEdit::textChanged, this, &frmBreakCharacter::txtInput1_Change);
    connect(txtInput1, &QLineEdit::returnPressed, this, &frmBreakCharacter::cmdEnter_Click);
    layout->addWidget(txtInput1, 4, 0, 1, 2);
    cmdEnter = named(new QPushButton(QStringLiteral("Enter")), "cmdEnter");
    cmdEnter->hide();
    connect(cmdEnter, &QPushButton::clicked, this, &frmBreakCharacter::cmdEnter_Click);
    layout->addWidget(cmdEnter, 4, 2);

    auto *grid = new QGridLayout;
    for (int code = 0; code < int(m_characterButtons.size()); ++code) {
        const CharacterButton &design = CharacterButtons[code];
        auto *button = named(new QPushButton(QString::fromLatin1(design.caption)), design.name);
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, code] { cmdCharacter_Click(code); });
        grid->addWidget(button, code / ButtonsPerRow, code % ButtonsPerRow);
        m_characterButtons[size_t(code)] = button;
    }
    layout->addLayout(grid, 5, 0, 1, 3);

    auto *saveButton = named(new QPushButton(QStringLiteral("Save")), "cmdSave");
    connect(saveButton, &QPushButton::clicked, this, &frmBreakCharacter::cmdSave_Click);
    layout->addWidget(saveButton, 6, 2);

    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void frmBreakCharacter::optFunction_Click()
{
    m_mode = Mode::Function;
    txtInput1->hide();
    cmdEnter->hide();
    for (QPushButton *button : m_characterButtons)
        button->show();
    lblInstructions->setText(QString());
    keepLinesWhole(lblInstructions);
}

void frmBreakCharacter::optCharacter_Click()
{
    m_mode = Mode::Character;
    showTyping(QStringLiteral("Enter the character you would like to use as a break character."));
}

void frmBreakCharacter::optHexFormat_Click()
{
    m_mode = Mode::HexNumber;
    showTyping(QStringLiteral(
        "Enter a Hex number of the ASCII character you would like to use as a break character."));
}

void frmBreakCharacter::showTyping(const QString &instructions)
{
    txtInput1->show();
    cmdEnter->show();
    for (QPushButton *button : m_characterButtons)
        button->hide();
    lblInstructions->setText(instructions);
    keepLinesWhole(lblInstructions);
    lblInstructions->show();
    txtInput1->setFocus();
}

void frmBreakCharacter::cmdCharacter_Click(int code)
{
    select(code);
}

void frmBreakCharacter::txtInput1_Change()
{
    const qsizetype length = txtInput1->text().size();
    QString refusal;
    if (m_mode == Mode::Character && length > 1)
        refusal = QStringLiteral("Only enter 1 character");
    else if (m_mode == Mode::HexNumber && length >= 3)
        refusal = QStringLiteral("Your trying to break me arn't you?");
    if (refusal.isEmpty())
        return;
    m_messageBoxes.information(refusal);
    txtInput1->clear();
    txtInput1->setFocus();
}

void frmBreakCharacter::cmdEnter_Click()
{
    const QByteArray text = txtInput1->text().toLatin1();
    if (m_mode == Mode::HexNumber) {
        QByteArray hex = text;
        const int code = GeneralUtilities::ReturnHexValue(hex);
        if (code < 0 || code > 255) {
            m_messageBoxes.information(QStringLiteral("try again"));
            return;
        }
        select(code);
    } else if (m_mode == Mode::Character && !text.isEmpty()) {
        select(uchar(text[0]));
    }
    txtInput1->clear();
    txtInput1->setFocus();
}

void frmBreakCharacter::select(int code)
{
    m_selected = GeneralUtilities::TokenTableEntry(code).toByteArray();
    lblBreakChar->setText(QString::fromLatin1(m_selected));
}

void frmBreakCharacter::cmdSave_Click()
{
    m_save(m_selected);
    close();
}
