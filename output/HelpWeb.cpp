#include "output/HelpWeb.h"

#include "util/Messages.h"
#include "util/Shell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace output {

namespace {

void CannotOpen(QWidget* owner, const QString& what, const QString& where)
{
    util::ShowMessage(owner, {QStringLiteral("Error"), what + QLatin1Char('\n') + where, util::BoxIcon::Error});
}

} // namespace

QString HelpDocumentPath(const QString& executableDir)
{
    return QDir(executableDir).absoluteFilePath(QStringLiteral("Help/help.html"));
}

void OpenHelpDocument(QWidget* owner, const QString& path)
{
    if (!QFileInfo(path).isFile() || !util::ShellOpen(QUrl::fromLocalFile(path)))
        CannotOpen(owner, QStringLiteral("Cannot open the help document:"), path);
}

void HelpCommand(QWidget* owner) { OpenHelpDocument(owner, HelpDocumentPath(QCoreApplication::applicationDirPath())); }

void WebCommand(QWidget* owner)
{
    const QString address = QString::fromLatin1(WebAddress);
    if (!util::ShellOpen(QUrl(address)))
        CannotOpen(owner, QStringLiteral("Cannot open the web page:"), address);
}

} // namespace output
