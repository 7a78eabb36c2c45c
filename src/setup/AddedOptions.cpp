#include "AddedOptions.h"

#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <array>
#include <utility>

namespace {

using OptionKeys = std::array<std::pair<const char *, bool AddedOptions::*>, 5>;

constexpr OptionKeys Keys = {{{"HighSpeedRates", &AddedOptions::highSpeedRates},
                              {"DtrActive", &AddedOptions::dtrActive},
                              {"ReconnectAutomatically", &AddedOptions::reconnectAutomatically},
                              {"TimeStamps", &AddedOptions::timeStamps},
                              {"HexView", &AddedOptions::hexView}}};

const QString Group = QStringLiteral("Options");

} // namespace

QString AddedOptionsFile::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Wirelook.ini");
}

AddedOptions AddedOptionsFile::read() const
{
    AddedOptions options;
    if (!QFileInfo(m_path).isFile())
        return options;
    QSettings file(m_path, QSettings::IniFormat);
    file.beginGroup(Group);
    for (const auto &[key, option] : Keys) {
        const QVariant value = file.value(QLatin1String(key));
        if (value.isValid())
            options.*option = value.toBool();
    }
    return options;
}

bool AddedOptionsFile::write(const AddedOptions &options) const
{
    QSettings file(m_path, QSettings::IniFormat);
    file.beginGroup(Group);
    for (const auto &[key, option] : Keys)
        file.setValue(QLatin1String(key), options.*option);
    file.endGroup();
    file.sync();
    return file.status() == QSettings::NoError;
}
