#pragma once

#include "ConvertDlg.h"
#include "VelkoDVDRipperDlg.h"

#include "ConvertJob.h"
#include "MediaInfo.h"

#include <QProgressBar>
#include <QTableWidget>

#include <memory>
#include <vector>

// The main window with the steps the program runs hidden behind DoModal made
// reachable: initialisation without a modal loop, and the rows a load adds.
class CTestMainDlg : public CVelkoDVDRipperDlg
{
public:
    using CVelkoDVDRipperDlg::CVelkoDVDRipperDlg;

    void Init() { OnInitDialog(); }

    // Rows as a load of these titles (path, duration text, format text) adds them.
    void AddTitles(const QList<std::tuple<QString, QString, QString>> &titles)
    {
        QList<ConvertJob *> jobs;
        QList<MediaInfo> infos;
        for (const auto &[path, duration, format] : titles) {
            m_jobs.push_back(std::make_unique<ConvertJob>());
            m_jobs.back()->source = path;
            jobs << m_jobs.back().get();
            infos << MediaInfo{duration, format};
        }
        AppendTitleRows(jobs, infos);
    }

private:
    std::vector<std::unique_ptr<ConvertJob>> m_jobs;
};

// The conversion dialog showing a given title and percentage, for pictures.
class CTestConvertDlg : public CConvertDlg
{
public:
    void Show(const QString &strStatus, int nPercent)
    {
        m_strStatus = strStatus;
        UpdateData(false);
        m_progress->setValue(nPercent);
    }
};
