#include "DesktopIdentity.h"

#include "Installation.h"

#include <QGuiApplication>
#include <QIcon>

void DesktopIdentity::apply()
{
    const QLatin1StringView id(Installation::ApplicationId);
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/apps/%2.png").arg(size).arg(id),
                     QSize(size, size));
    QGuiApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(id);
}
