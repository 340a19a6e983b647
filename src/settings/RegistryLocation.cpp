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
    const QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                      : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    QString name = QFileInfo(path).completeBaseName();
    // A line break in a file name would break the key's line in the store.
    for (QChar& c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    return name;
}

void SetExecutableBaseName(const QString& baseName)
{
    BaseNameOverride() = baseName;
}

QString KeyPath()
{
    return QStringLiteral("\\Software\\") + QLatin1StringView(RegistryCompany) + u'\\' + ExecutableBaseName();
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
