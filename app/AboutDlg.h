#pragma once

#include "Resource.h"
#include <QDialog>

// The About box: the application icon, the program's name and version, OK.
class CAboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr int IDD = IDD_ABOUTBOX;

    explicit CAboutDlg(QWidget *pParent = nullptr);
    ~CAboutDlg() override;

    // exec()'s result: IDOK when closed with OK.
    int DoModal();

protected:
    bool OnInitDialog();
};
