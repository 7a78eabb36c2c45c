#pragma once

#include "DisplayModel.h"
#include "MainWindowFixture.h"
#include "QtCommPort.h"
#include "TestServices.h"
#include "frmMain.h"

#include <QComboBox>
#include <QPushButton>

#include <memory>

// The program's window on the real serial backend.
struct SerialProgram
{
    TestServices services;
    std::unique_ptr<frmMain> window;

    SerialProgram()
        : window(std::make_unique<frmMain>(services.services(), std::make_unique<QtCommPort>(),
                                           std::make_unique<NoLockKeys>()))
    {
    }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return window->findChild<T *>(QLatin1String(name));
    }
    QString portState() const { return child<QPushButton>("cmdPortState")->text(); }
    // Starts on a device and tells whether its port opened.
    bool start(const QString &device)
    {
        if (!device.isEmpty())
            window->Form_Load(device);
        return !device.isEmpty() && portState() == QLatin1String("Port Active");
    }
    QByteArray display() const { return window->displayModel().text(); }
    // The line settings the boxes show: baud, parity, data and stop bits.
    QStringList boxes() const
    {
        QStringList texts;
        for (const char *box : {"cboBaud", "cboParity", "cboDataBits", "cboStopBits"})
            texts << child<QComboBox>(box)->currentText();
        return texts;
    }
    // What came back from the device.
    QByteArray received() const
    {
        return shownIn(window->displayModel(),
                       {window->ReturnReceiveCharColor(), window->ReturnReceiveFuncColor()});
    }
};
