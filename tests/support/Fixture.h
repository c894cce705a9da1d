#pragma once

#include <QCoreApplication>
#include <QString>

// Paths every test program asks for: the media the fixture script makes and
// the programs the build puts beside the test executables.
namespace testsupport
{

// A file or folder made by one fixture script, in the folder CTest names in
// the environment variable (cmake/VelkoTesting.cmake sets them all).
inline QString fixtureIn(const char *variable, const QString &name)
{
    return qEnvironmentVariable(variable) + u'/' + name;
}

// The shared media (title2s.VOB, long.VOB, dvd/, ...) of make-fixtures.sh.
inline QString fixture(const QString &name)
{
    return fixtureIn("VELKO_FIXTURES", name);
}

// The DVD-Video folders of make-dvd-fixtures.sh (big/, ntsc/, ...).
inline QString dvdFixture(const QString &name)
{
    return fixtureIn("VELKO_DVD_FIXTURES", name);
}

// The film-like discs of make-film-fixtures.sh.
inline QString filmFixture(const QString &name)
{
    return fixtureIn("VELKO_FILM_FIXTURES", name);
}

// The extras of make-title-fixtures.sh beside the DVD folders.
inline QString titleFixture(const QString &name)
{
    return fixtureIn("VELKO_TITLE_FIXTURES", name);
}

// The titles of known picture shape of make-picture-fixtures.sh.
inline QString pictureFixture(const QString &name)
{
    return fixtureIn("VELKO_PICTURE_FIXTURES", name);
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
