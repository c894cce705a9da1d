#pragma once

#include <QCoreApplication>
#include <QString>

// Paths every test program asks for: the media the fixture script makes and
// the programs the build puts beside the test executables.
namespace testsupport
{

// A file or folder of the generated media (title2s.VOB, long.VOB, dvd/, ...).
// CTest hands their folder over in VELKO_FIXTURES.
inline QString fixture(const QString &name)
{
    return qEnvironmentVariable("VELKO_FIXTURES") + u'/' + name;
}

// A program built into the test executables' own folder (bin/).
inline QString binFile(const QString &name)
{
    return QCoreApplication::applicationDirPath() + u'/' + name;
}

// The converter launcher, as the engine finds it beside the executable.
inline QString launcherPath()
{
    return binFile(QStringLiteral("core/torvane"));
}

} // namespace testsupport
