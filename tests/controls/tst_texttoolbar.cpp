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

private:
    // The toolbar as the main window builds it.
    static void Build(CTextToolBar &toolBar, QWidget &window)
    {
        QVERIFY(toolBar.CreateEx(&window));
        QVERIFY(toolBar.LoadToolBar(IDR_TOOLBAR));
        QList<QIcon> icons;
        for (int id : kToolBarIcons)
            icons << LoadIconResource(id);
        toolBar.ReplaceImageList(icons);
        toolBar.SetButtonTexts();
    }

    static QToolButton *Button(CTextToolBar &toolBar, int nCommand)
    {
        return toolBar.GetButton(toolBar.CommandToIndex(nCommand));
    }

private slots:
    void captionsSitUnderThePictures()
    {
        QWidget window;
        CTextToolBar toolBar;
        Build(toolBar, window);
        QCOMPARE(CtrlId(&toolBar), 0xE800);
        QCOMPARE(FindCtrl<CTextToolBar>(&window, 0xE800), &toolBar);
        QCOMPARE(toolBar.toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        QCOMPARE(toolBar.iconSize(), QSize(48, 48));

        const QList<std::pair<int, QString>> expected = {{32771, QStringLiteral("Disc")},
                                                         {32772, QStringLiteral("Folder")},
                                                         {32773, QStringLiteral("Clear")},
                                                         {32774, QStringLiteral("Convert")}};
        QCOMPARE(toolBar.actions().size(), 4);
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(CtrlId(toolBar.actions()[i]), expected[i].first);
            QToolButton *button = Button(toolBar, expected[i].first);
            QVERIFY(button);
            QCOMPARE(button->text(), expected[i].second);
            QCOMPARE(FindCtrl<QAction>(&toolBar, expected[i].first), toolBar.actions()[i]);
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
        QWidget window;
        if (pixelSize > 0) {
            QFont font = window.font();
            font.setPixelSize(pixelSize);
            window.setFont(font);
        }
        CTextToolBar toolBar;
        Build(toolBar, window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const QSize size = toolBar.TextButtonRect().size();
        QVERIFY(!size.isEmpty());
        for (int i = 0; i < 4; ++i) {
            QToolButton *button = toolBar.GetButton(i);
            QCOMPARE(button->size(), size);
            const QFontMetrics metrics(button->font());
            QVERIFY2(metrics.horizontalAdvance(button->text()) < size.width(),
                     qPrintable(button->text() + QStringLiteral(" is cut")));
            QVERIFY(size.height() > 48 + metrics.height());
        }
        QCOMPARE(toolBar.iconSize(), QSize(48, 48));
    }

    void settingTheTextsTwiceChangesNothing()
    {
        QWidget window;
        CTextToolBar toolBar;
        Build(toolBar, window);
        const QRect first = toolBar.TextButtonRect();
        toolBar.actions()[0]->setText(QStringLiteral("Renamed"));
        toolBar.SetButtonTexts();
        QCOMPARE(toolBar.GetButton(0)->text(), QStringLiteral("Renamed"));
        QCOMPARE(toolBar.TextButtonRect(), first);
    }

    void picturesComeInTheirOrder()
    {
        QWidget window;
        CTextToolBar toolBar;
        Build(toolBar, window);
        const QList<std::pair<int, int>> pictures = {
            {32771, IDI_DISC}, {32772, IDI_FOLDER}, {32773, IDI_CLEAR}, {32774, IDI_CONVERT}};
        for (const auto &[command, icon] : pictures) {
            const QImage shown = Button(toolBar, command)
                                     ->icon()
                                     .pixmap(48, 48)
                                     .toImage()
                                     .convertToFormat(QImage::Format_ARGB32_Premultiplied);
            QCOMPARE(shown, LoadIconPixmap(icon, 48).toImage());
        }
    }

    void picturesAreDrawnAndDiffer()
    {
        QList<QImage> images;
        for (int id : {IDR_MAINFRAME, IDI_CLEAR, IDI_CONVERT, IDI_DISC, IDI_FOLDER}) {
            const QImage image = LoadIconPixmap(id, 48).toImage();
            QCOMPARE(image.size(), QSize(48, 48));
            int opaque = 0;
            for (int y = 0; y < 48; ++y)
                for (int x = 0; x < 48; ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255;
            QVERIFY2(opaque > 48 * 48 / 3, qPrintable(QString::number(id)));
            QVERIFY(!images.contains(image));
            images << image;
        }
        QVERIFY(LoadIconPixmap(999, 48).isNull());
        QVERIFY(!LoadIconResource(IDR_MAINFRAME).availableSizes().isEmpty());
    }

    void clickingAButtonSendsItsCommand()
    {
        QWidget window;
        CTextToolBar toolBar;
        Build(toolBar, window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QSignalSpy commands(&toolBar, &CTextToolBar::Command);
        for (int i = 3; i >= 0; --i)
            QTest::mouseClick(toolBar.GetButton(i), Qt::LeftButton);
        QCOMPARE(commands.size(), 4);
        QCOMPARE(commands[0][0].toInt(), 32774);
        QCOMPARE(commands[1][0].toInt(), 32773);
        QCOMPARE(commands[2][0].toInt(), 32772);
        QCOMPARE(commands[3][0].toInt(), 32771);
    }

    void anUnknownToolbarLoadsNothing()
    {
        CTextToolBar toolBar;
        QVERIFY(!toolBar.LoadToolBar(130));
        QVERIFY(toolBar.actions().isEmpty());
        toolBar.SetButtonTexts(); // no buttons: nothing to size
        QVERIFY(toolBar.TextButtonRect().isNull());
    }
};

VELKO_TEST_MAIN(TestTextToolBar)
#include "tst_texttoolbar.moc"
