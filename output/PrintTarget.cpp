#include "output/PrintTarget.h"

#include <QFile>

#include <algorithm>

namespace output {

QString ViewedOutputText(const QString& output)
{
    return QStringLiteral("Cannot print into a file that is open in Byteloom:\n") + output;
}

bool IsViewedFile(const QString& output, const std::vector<file::FileIdentity>& viewed)
{
    if (output.isEmpty())
        return false;
    const std::optional<file::FileIdentity> target = file::IdentityOf(QFile::encodeName(output).toStdString());
    return target && std::find(viewed.begin(), viewed.end(), *target) != viewed.end();
}

} // namespace output
