#include "app/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

QString HelpFilePath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromUtf8(kHelpFileName));
}

void OpenHelp() {
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFilePath()));
}
