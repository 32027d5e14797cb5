#include "ui/app_paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vantorel {

QString ExecutableFolder() { return QDir::cleanPath(QCoreApplication::applicationDirPath()); }

QString SettingsPathFor(const QString& executableFolder) {
    const QString beside = executableFolder + "/Data.ini";
    const QFileInfo folder(executableFolder);
    if (QFileInfo::exists(beside) || (folder.isDir() && folder.isWritable())) return beside;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and is ignored.
    if (config.isEmpty() || QDir::isRelativePath(config)) config = QDir::homePath() + "/.config";
    return QDir::cleanPath(config) + "/vantorel/Data.ini";
}

QString HelpDocumentPathFor(const QString& executableFolder) {
    const QString beside = executableFolder + "/" + kHelpDocumentName;
    if (QFileInfo::exists(beside)) return beside;
    const QString shared =
        QDir::cleanPath(executableFolder + "/../share/vantorel/" + kHelpDocumentName);
    return QFileInfo::exists(shared) ? shared : beside;
}

}  // namespace vantorel
