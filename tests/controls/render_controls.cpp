// Draws the toolbar, the program's pictures and the folder picker into PNG
// files, offscreen, so they can be looked at without running the program.
//
//     render_controls OUTPUT_FOLDER
//
// Runs in a private home folder (TestHome.h): the user's settings stay as
// they are.

#include "AppProfile.h"
#include "DialogDriver.h"
#include "ResIcons.h"
#include "Resource.h"
#include "TestHome.h"
#include "TextToolBar.h"
#include "XFolderDialog.h"

#include <QListView>
#include <QPainter>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdio>

namespace
{
bool Save(const QPixmap &pixmap, const QString &strFile)
{
    const bool saved = pixmap.save(strFile);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(strFile));
    return saved;
}

bool RenderToolBar(const QString &strOut)
{
    QWidget window;
    auto *pLayout = new QVBoxLayout(&window);
    pLayout->setContentsMargins(0, 0, 0, 0);
    auto *pToolBar = new CTextToolBar;
    pToolBar->CreateEx(&window);
    pToolBar->LoadToolBar(IDR_TOOLBAR);
    QList<QIcon> icons;
    for (int id : kToolBarIcons)
        icons << LoadIconResource(id);
    pToolBar->ReplaceImageList(icons);
    pToolBar->SetButtonTexts();
    pLayout->addWidget(pToolBar);
    pLayout->addStretch();
    window.resize(480, pToolBar->sizeHint().height() + 20);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    return Save(window.grab(), strOut + QStringLiteral("/toolbar.png"));
}

bool RenderIcons(const QString &strOut)
{
    const int ids[] = {IDR_MAINFRAME, IDI_DISC, IDI_FOLDER, IDI_CLEAR, IDI_CONVERT};
    const int sizes[] = {16, 32, 48, 96};
    QPixmap sheet(8 + 5 * 104, 8 + 4 * 104);
    sheet.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter painter(&sheet);
    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 4; ++row) {
            const int size = sizes[row];
            const QPoint cell(8 + column * 104, 8 + row * 104);
            painter.fillRect(QRect(cell, QSize(96, 96)),
                             row % 2 ? Qt::white : QColor(0x40, 0x40, 0x48));
            painter.drawPixmap(cell + QPoint((96 - size) / 2, (96 - size) / 2),
                               LoadIconPixmap(ids[column], size));
        }
    }
    painter.end();
    return Save(sheet, strOut + QStringLiteral("/icons.png"));
}

bool RenderPicker(const QString &strOut, const QString &strRoot, bool bDetails)
{
    CXFolderDialog dlg(strRoot);
    dlg.m_bTrackViewMode = true;
    dlg.m_nViewMode = bDetails ? CXFolderDialog::kViewDetails : CXFolderDialog::kViewList;
    dlg.resize(720, 420);
    bool saved = false;
    DriveModal(dlg, [&] {
        QAbstractItemView *pView = bDetails
                                       ? static_cast<QAbstractItemView *>(
                                             dlg.findChild<QTreeView *>(QStringLiteral("treeView")))
                                       : dlg.findChild<QListView *>(QStringLiteral("listView"));
        const QModelIndex index = WaitForItem(dlg, pView, strRoot + QStringLiteral("/Wedding"));
        if (index.isValid())
            QTest::mouseClick(pView->viewport(), Qt::LeftButton, {},
                              pView->visualRect(index).center());
        QTest::qWait(200);
        saved = Save(dlg.grab(), strOut + (bDetails ? QStringLiteral("/folder-picker-details.png")
                                                    : QStringLiteral("/folder-picker.png")));
        dlg.reject();
    });
    return saved;
}
} // namespace

int main(int argc, char *argv[])
{
    CTestHome home;
    QApplication app(argc, argv);
    const QString out =
        QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("render")).absolutePath();
    QDir().mkpath(out);

    // A few folders to browse, and a history of earlier choices.
    const QString root = home.Path() + QStringLiteral("/home/Videos/DVD copies");
    for (const char *pszName :
         {"Concert (live)", "Holiday 2023", "Kids' films", "Wedding", "Wedding/VIDEO_TS", "Backup"})
        QDir().mkpath(root + QLatin1Char('/') + pszName);
    CAppProfile profile;
    profile.WriteProfileString(QStringLiteral("FolderHistory"), QStringLiteral("Folder0000"),
                               root + QStringLiteral("/Holiday 2023"));
    profile.WriteProfileString(QStringLiteral("FolderHistory"), QStringLiteral("Folder0001"), root);

    bool ok = RenderToolBar(out);
    ok = RenderIcons(out) && ok;
    ok = RenderPicker(out, root, false) && ok;
    ok = RenderPicker(out, root, true) && ok;
    return ok ? 0 : 1;
}
