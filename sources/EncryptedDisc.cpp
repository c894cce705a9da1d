#include "EncryptedDisc.h"

#include "Scrambling.h"

#include <string>
#include <vector>

QString EncryptedDiscNotice(const QStringList &titleFiles)
{
    std::vector<std::string> paths;
    paths.reserve(std::size_t(titleFiles.size()));
    for (const QString &path : titleFiles)
        paths.push_back(path.toStdString());
    if (!dvd::checkTitleFiles(paths).needsDecryption())
        return {};
    return QString::fromStdString(dvd::encryptedDiscMessage());
}
