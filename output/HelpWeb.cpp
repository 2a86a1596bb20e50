#include "output/HelpWeb.h"

#include "util/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

QString HelpDocumentPath(const QString& executableDir)
{
    return QDir(executableDir).absoluteFilePath(QStringLiteral("Help/help.html"));
}

void HelpCommand()
{
    util::ShellOpen(QUrl::fromLocalFile(HelpDocumentPath(QCoreApplication::applicationDirPath())));
}

void WebCommand() { util::ShellOpen(QUrl(QString::fromLatin1(WebAddress))); }
