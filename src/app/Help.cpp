#include "app/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

QString HelpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromUtf8(kHelpFileName));
}

namespace {

// Whether this desktop has a program for HTML documents. On Linux the desktop's opener starts
// whether or not one is set up, and then fails unseen; so ask it which program it would use.
bool HasHtmlHandler() {
#if defined(Q_OS_LINUX)
    if (QStandardPaths::findExecutable("xdg-open").isEmpty()) return false;
    if (QStandardPaths::findExecutable("xdg-mime").isEmpty()) return true;
    QProcess query;
    query.start("xdg-mime", {"query", "default", "text/html"});
    if (!query.waitForFinished(2000)) return true;  // cannot tell: let the opener try
    return !query.readAllStandardOutput().trimmed().isEmpty();
#else
    return true;
#endif
}

}  // namespace

QString OpenHelpFile(const QString& path, const std::function<bool(const QUrl&)>& opener) {
    const QString native = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile())
        return QString("The user guide was not found. It belongs at:\n%1").arg(native);
    if (!opener(QUrl::fromLocalFile(path)))
        return QString("No program on this desktop opens the user guide. Open it with a web "
                       "browser:\n%1")
            .arg(native);
    return {};
}

QString OpenHelp() {
    return OpenHelpFile(HelpFilePath(), [](const QUrl& url) {
        return HasHtmlHandler() && QDesktopServices::openUrl(url);
    });
}
