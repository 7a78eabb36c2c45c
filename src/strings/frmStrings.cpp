#include "frmStrings.h"

#include "Latin1Validator.h"
#include "PlatformServices.h"
#include "StringSetStore.h"
#include "frmStringsHelp.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>

namespace {
// The longest text a field takes: a paste or key that would make it longer is
// refused whole, so a string is never cut in the middle of a token.
constexpr qsizetype FieldLength = 32767;
} // namespace

frmStrings::frmStrings(StringSetStore &store, MessageBoxes &messageBoxes,
                       std::function<void()> updateMenu, QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_store(store), m_messageBoxes(messageBoxes),
      m_updateMenu(std::move(updateMenu))
{
    setObjectName(QStringLiteral("frmStrings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("String Setup"));

    auto *client = new QWidget;
    auto *grid = new QGridLayout(client);
    m_validator = new Latin1Validator(FieldLength, this);
    auto *nameCaption = new QLabel(QStringLiteral("Set Name :"));
    nameCaption->setObjectName(QStringLiteral("lblSetName"));
    txtSetName = new QLineEdit(QStringLiteral("Set Name"));
    txtSetName->setObjectName(QStringLiteral("txtSetName"));
    limitField(txtSetName);
    grid->addWidget(nameCaption, 0, 0);
    grid->addWidget(txtSetName, 0, 1);
    for (int key = 0; key < StringSetStore::KeyCount; ++key) {
        auto *caption = new QLabel(QStringLiteral("F%1 :").arg(key + 1));
        caption->setObjectName(QStringLiteral("lblF%1").arg(key + 1));
        auto *field = new QLineEdit;
        field->setObjectName(QStringLiteral("txtXmitStringArray%1").arg(key));
        limitField(field);
        field->setMinimumWidth(420);
        txtXmitStringArray[size_t(key)] = field;
        grid->addWidget(caption, key + 1, 0);
        grid->addWidget(field, key + 1, 1);
    }
    setCentralWidget(client);

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *exit = file->addAction(QStringLiteral("&Exit without saving"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &frmStrings::mnuExit_Click);
    QAction *save = file->addAction(QStringLiteral("&Save"));
    save->setObjectName(QStringLiteral("mnuSave"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, &frmStrings::mnuSave_Click);

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    QAction *quickClear = edit->addAction(QStringLiteral("Quick &Clear"));
    quickClear->setObjectName(QStringLiteral("mnuQuickClear"));
    connect(quickClear, &QAction::triggered, this, &frmStrings::mnuQuickClear_Click);

    QMenu *sets = menuBar()->addMenu(QStringLiteral("&Select String Set"));
    sets->setObjectName(QStringLiteral("mnuSelectStringSet"));
    for (int set = 0; set < StringSetStore::SetCount; ++set) {
        QAction *item = sets->addAction(QStringLiteral("String Set %1").arg(set + 1));
        item->setObjectName(QStringLiteral("mnuStringSet%1").arg(set));
        connect(item, &QAction::triggered, this, [this, set] { mnuStringSet_Click(set); });
        mnuStringSet[size_t(set)] = item;
    }
    QAction *help = menuBar()->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    connect(help, &QAction::triggered, this, &frmStrings::mnuHelp_Click);

    // Escape anywhere in the window asks before closing.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &frmStrings::askToSave);

    adjustSize();
    const QRect screenArea = screen()->geometry();
    move(screenArea.x() + (screenArea.width() - frameGeometry().width()) / 2,
         screenArea.y() + (screenArea.height() - frameGeometry().height()) / 2);
    UpdateDisplay();
}

void frmStrings::limitField(QLineEdit *field)
{
    field->setValidator(m_validator);
    field->setMaxLength(int(FieldLength) + 1);
    // Told once the field has gone back to its text, outside the edit.
    connect(field, &QLineEdit::inputRejected, this, [this] {
        if (m_validator->takeLengthRefusal())
            m_messageBoxes.information(
                QStringLiteral("Text not taken: a field holds at most %1 characters.")
                    .arg(FieldLength));
    }, Qt::QueuedConnection);
}

void frmStrings::SaveStrings()
{
    for (int key = 0; key < StringSetStore::KeyCount; ++key)
        m_store.setString(m_shownSet, key, txtXmitStringArray[size_t(key)]->text().toLatin1());
    m_store.setName(m_shownSet, txtSetName->text().toLatin1());
}

void frmStrings::UpdateDisplay()
{
    m_shownSet = m_store.currentSet();
    for (int key = 0; key < StringSetStore::KeyCount; ++key)
        txtXmitStringArray[size_t(key)]->setText(
            QString::fromLatin1(m_store.typed(m_shownSet, key)));
    for (int set = 0; set < StringSetStore::SetCount; ++set)
        mnuStringSet[size_t(set)]->setText(literalMenuCaption(m_store.name(set)));
    txtSetName->setText(QString::fromLatin1(m_store.name(m_shownSet)));
}

void frmStrings::UpdateMenu()
{
    if (m_updateMenu)
        m_updateMenu();
}

void frmStrings::mnuSave_Click()
{
    SaveStrings();
    UpdateMenu();
    close();
}

void frmStrings::mnuExit_Click()
{
    close();
}

void frmStrings::mnuQuickClear_Click()
{
    for (QLineEdit *field : txtXmitStringArray)
        field->clear();
}

void frmStrings::mnuStringSet_Click(int set)
{
    SaveStrings();
    m_store.setCurrentSet(set);
    UpdateDisplay();
    if (isVisible())
        txtXmitStringArray[0]->setFocus();
}

void frmStrings::mnuHelp_Click()
{
    if (!m_help)
        m_help = new frmStringsHelp(txtXmitStringArray[0], this);
    m_help->show();
    m_help->raise();
}

void frmStrings::askToSave()
{
    if (m_messageBoxes.question(QStringLiteral("Do you wish to save your changes"),
                                QStringLiteral("String Exit"))) {
        SaveStrings();
        UpdateMenu();
    }
    close();
}
