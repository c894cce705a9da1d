#include "HasTitles.h"

#include "ConvertEng.h"

bool HasTitles(QString strExtension, QString strFolder)
{
    // A throw-away engine: the scan only fills its job list, nothing starts.
    ConvertEng engine;
    engine.scanFolder(strExtension, strFolder);
    return !engine.m_jobs.isEmpty();
}
