#pragma once

#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "AppProfile.h"

// Gives a test program a home folder of its own, made before Qt reads any
// path: the application profile, Qt's shared file-dialog state and the
// documents and pictures folders all land below it, and it goes away when the
// program ends. The user's own settings are never touched, whether the test
// runs under CTest or by hand.
class CTestHome
{
public:
    CTestHome()
    {
        const QString root = m_dir.path();
        Set("HOME", root + QStringLiteral("/home"));
        Set("XDG_CONFIG_HOME", root + QStringLiteral("/config"));
        Set("XDG_DATA_HOME", root + QStringLiteral("/data"));
        Set("XDG_CACHE_HOME", root + QStringLiteral("/cache"));
        Set("XDG_RUNTIME_DIR", root + QStringLiteral("/runtime"));
        QFile::setPermissions(root + QStringLiteral("/runtime"), QFileDevice::ReadOwner |
                                                                     QFileDevice::WriteOwner |
                                                                     QFileDevice::ExeOwner);
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QString Path() const { return m_dir.path(); }

    // Empties the application profile.
    static void ClearProfile()
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope,
                           CAppProfile::OrganizationName(), CAppProfile::AppName());
        settings.clear();
        settings.sync();
    }

private:
    static void Set(const char *pszName, const QString &strPath)
    {
        QDir().mkpath(strPath);
        qputenv(pszName, QFile::encodeName(strPath));
    }

    QTemporaryDir m_dir;
};

// QTEST_MAIN with the private home set up before the application object.
#define VELKO_TEST_MAIN(TestClass)                                                                 \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        CTestHome home;                                                                            \
        QApplication app(argc, argv);                                                              \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
