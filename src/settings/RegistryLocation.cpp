#include "RegistryLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString& BaseNameOverride()
{
    static QString name;
    return name;
}

} // namespace

namespace RegistryLocation {

QString ExecutableBaseName()
{
    if (!BaseNameOverride().isEmpty())
        return BaseNameOverride();
    const QString path = QCoreApplication::instance()
        ? QCoreApplication::applicationFilePath()
        : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QFileInfo(path).completeBaseName();
}

void SetExecutableBaseName(const QString& baseName)
{
    BaseNameOverride() = baseName;
}

QString KeyPath()
{
    return QStringLiteral("\\Software\\") + QLatin1StringView(RegistryCompany) + u'\\'
        + ExecutableBaseName();
}

QString StoreFilePath()
{
    // Relative XDG_CONFIG_HOME values are to be ignored, as the base directory rules say.
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + u'/' + QLatin1StringView(RegistryCompany) + QStringLiteral("/registry.reg");
}

} // namespace RegistryLocation
