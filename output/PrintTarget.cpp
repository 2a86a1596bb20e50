#include "output/PrintTarget.h"

#include <QFile>

#include <algorithm>

QString ViewedOutputText(const QString& output)
{
    return QStringLiteral("Cannot print into a file that is open in Byteloom:\n") + output;
}

bool IsViewedFile(const QString& output, const std::vector<util::FileIdentity>& viewed)
{
    if (output.isEmpty())
        return false;
    const std::optional<util::FileIdentity> target = util::IdentityOf(QFile::encodeName(output).toStdString());
    return target && std::find(viewed.begin(), viewed.end(), *target) != viewed.end();
}
