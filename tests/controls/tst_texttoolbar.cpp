#include "ControlId.h"
#include "ResIcons.h"
#include "Resource.h"
#include "TestHome.h"
#include "TextToolBar.h"

#include <QAction>
#include <QSignalSpy>
#include <QToolButton>

class TestTextToolBar : public QObject
{
    Q_OBJECT

    QWidget m_window;
    CTextToolBar *m_pToolBar = nullptr;

private slots:
    // The toolbar as the main window builds it.
    void init()
    {
        m_pToolBar = new CTextToolBar;
        QVERIFY(m_pToolBar->CreateEx(&m_window));
        QVERIFY(m_pToolBar->LoadToolBar(IDR_TOOLBAR));
        QList<QIcon> icons;
        for (int id : kToolBarIcons)
            icons << LoadIconResource(id);
        m_pToolBar->ReplaceImageList(icons);
    }

    void cleanup() { delete m_pToolBar; }

    void captionsSitUnderThePicturesInOrder()
    {
        m_pToolBar->SetButtonTexts();
        QCOMPARE(FindCtrl<CTextToolBar>(&m_window, AFX_IDW_TOOLBAR), m_pToolBar);
        QCOMPARE(m_pToolBar->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(m_pToolBar->actions().size(), 4);
        const QList<std::tuple<int, QString, int>> buttons = {
            {ID_ADD_FROM_DISC, "Disc", IDI_DISC},
            {ID_ADD_FROM_FOLDER, "Folder", IDI_FOLDER},
            {ID_CLEAR, "Clear", IDI_CLEAR},
            {ID_CONVERT, "Convert", IDI_CONVERT}};
        for (int i = 0; i < 4; ++i) {
            const auto &[command, caption, picture] = buttons[i];
            QCOMPARE(FindCtrl<QAction>(m_pToolBar, command), m_pToolBar->actions()[i]);
            QToolButton *pButton = m_pToolBar->GetButton(i);
            QCOMPARE(pButton->text(), caption);
            QCOMPARE(pButton->icon().pixmap(48, 48).toImage().convertToFormat(
                         QImage::Format_ARGB32_Premultiplied),
                     LoadIconPixmap(picture, 48).toImage());
        }
    }

    void everyButtonHasOneSizeThatFitsItsCaption_data()
    {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("default font") << 0;
        QTest::newRow("large font") << 22; // captions wider than the pictures
    }

    void everyButtonHasOneSizeThatFitsItsCaption()
    {
        QFETCH(int, pixelSize);
        if (pixelSize > 0) {
            QFont font = m_pToolBar->font();
            font.setPixelSize(pixelSize);
            m_pToolBar->setFont(font);
        }
        m_pToolBar->SetButtonTexts();
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));

        const QSize size = m_pToolBar->TextButtonRect().size();
        for (int i = 0; i < 4; ++i) {
            QToolButton *pButton = m_pToolBar->GetButton(i);
            QCOMPARE(pButton->size(), size);
            const QFontMetrics metrics(pButton->font());
            QVERIFY2(metrics.horizontalAdvance(pButton->text()) < size.width(),
                     qPrintable(pButton->text() + " is cut"));
            QVERIFY(size.height() > 48 + metrics.height());
        }
        QCOMPARE(m_pToolBar->iconSize(), QSize(48, 48));
    }

    void settingTheTextsTwiceChangesNothing()
    {
        m_pToolBar->SetButtonTexts();
        const QRect first = m_pToolBar->TextButtonRect();
        m_pToolBar->actions()[0]->setText("Renamed");
        m_pToolBar->SetButtonTexts();
        QCOMPARE(m_pToolBar->GetButton(0)->text(), QString("Renamed"));
        QCOMPARE(m_pToolBar->TextButtonRect(), first);
    }

    void clickingAButtonSendsItsCommand()
    {
        m_pToolBar->SetButtonTexts();
        m_window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_window));
        QSignalSpy commands(m_pToolBar, &CTextToolBar::Command);
        for (int i = 3; i >= 0; --i)
            QTest::mouseClick(m_pToolBar->GetButton(i), Qt::LeftButton);
        QList<int> ids;
        for (const auto &args : commands)
            ids << args[0].toInt();
        QCOMPARE(ids, (QList<int>{ID_CONVERT, ID_CLEAR, ID_ADD_FROM_FOLDER, ID_ADD_FROM_DISC}));
    }

    void picturesAreDrawnAndDiffer()
    {
        QList<QImage> images;
        for (int id : {IDR_MAINFRAME, IDI_CLEAR, IDI_CONVERT, IDI_DISC, IDI_FOLDER}) {
            const QImage image = LoadIconPixmap(id, 48).toImage();
            int opaque = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            QVERIFY2(opaque > 48 * 48 / 3, qPrintable(QString::number(id)));
            QVERIFY(!images.contains(image));
            images << image;
        }
    }
};

VELKO_TEST_MAIN(TestTextToolBar)
#include "tst_texttoolbar.moc"
