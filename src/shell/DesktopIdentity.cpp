#include "DesktopIdentity.h"

#include "Installation.h"

#include <QGuiApplication>

QIcon DesktopIdentity::icon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png")
                         .arg(size)
                         .arg(QLatin1String(Installation::ApplicationId)),
                     QSize(size, size));
    }
    return icon;
}

void DesktopIdentity::apply()
{
    QGuiApplication::setWindowIcon(icon());
    QGuiApplication::setDesktopFileName(QLatin1String(Installation::ApplicationId));
}
