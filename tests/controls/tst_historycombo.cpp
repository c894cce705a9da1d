#include "AppProfile.h"
#include "HistoryCombo.h"
#include "TestHome.h"

#include <QAbstractItemView>

namespace
{
QString Stored(const QString &strEntry)
{
    return CAppProfile().GetProfileString("FolderHistory", strEntry, "<missing>");
}

void Store(const QStringList &values)
{
    CAppProfile profile;
    for (int i = 0; i < values.size(); ++i)
        profile.WriteProfileString("FolderHistory", QString("Folder%1").arg(i, 4, 10, QChar('0')),
                                   values[i]);
}

QStringList Items(const QComboBox &combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// An editable combo holding the stored history.
std::unique_ptr<CHistoryCombo> Loaded(bool bOnlyExisting = false, int nMax = 100)
{
    auto pCombo = std::make_unique<CHistoryCombo>();
    pCombo->setEditable(true);
    pCombo->m_bOnlyExisting = bOnlyExisting;
    pCombo->SetMaxItems(nMax);
    pCombo->LoadHistory("FolderHistory", "Folder");
    return pCombo;
}
} // namespace

class TestHistoryCombo : public QObject
{
    Q_OBJECT

private slots:
    void init() { CTestHome::ClearProfile(); }

    void loadingStopsAtTheFirstEmptyValue()
    {
        Store({"/a", "", "/b"});
        QCOMPARE(Items(*Loaded()), QStringList{"/a"});
        CAppProfile().DeleteProfileValue("FolderHistory", "Folder0001");
        QCOMPARE(Items(*Loaded()), QStringList{"/a"});
    }

    void loadingSkipsFoldersThatNoLongerExist()
    {
        QTemporaryDir dir;
        const QString a = dir.path() + "/a", b = dir.path() + "/b";
        QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
        Store({a, dir.path() + "/deleted", b});
        QCOMPARE(Items(*Loaded(true)), (QStringList{a, b}));
    }

    void loadingReadsAtMostTheMaximum()
    {
        QStringList values;
        for (int i = 0; i < 60; ++i)
            values << QString("/v%1").arg(i);
        Store(values);
        QCOMPARE(Items(*Loaded(false, 50)), values.mid(0, 50));
    }

    void currentTextIsRestored_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("matching entry, other case") << "/MEDIA/b" << 1 << "/media/B";
        QTest::newRow("no matching entry") << "/elsewhere" << 0 << "/elsewhere";
        QTest::newRow("nothing stored") << "" << 0 << "/media/A";
    }

    void currentTextIsRestored()
    {
        QFETCH(QString, current);
        QFETCH(int, index);
        QFETCH(QString, text);
        Store({"/media/A", "/media/B"});
        if (!current.isEmpty())
            CAppProfile().WriteProfileString("FolderHistory", "Folder", current);
        const auto pCombo = Loaded();
        QCOMPARE(pCombo->currentIndex(), index);
        QCOMPARE(pCombo->currentText(), text);
    }

    void addingMovesADuplicateToTheTop()
    {
        Store({"/a", "/b", "/c", "/x/Media", "/e"});
        const auto pCombo = Loaded();
        QCOMPARE(pCombo->AddToHistory("/x/media"), 0);
        QCOMPARE(Items(*pCombo), (QStringList{"/x/media", "/a", "/b", "/c", "/e"}));
        QCOMPARE(pCombo->currentText(), QString("/x/media"));

        pCombo->m_csMatch = Qt::CaseSensitive; // for file systems that tell them apart
        pCombo->AddToHistory("/X/MEDIA");
        QCOMPARE(Items(*pCombo).mid(0, 2), (QStringList{"/X/MEDIA", "/x/media"}));
    }

    void addingTrimsAndRefusesBlanks()
    {
        const auto pCombo = Loaded();
        QCOMPARE(pCombo->AddToHistory(" \t "), -1);
        QCOMPARE(pCombo->count(), 0);
        QCOMPARE(pCombo->AddToHistory("  /video \n"), 0);
        QCOMPARE(Items(*pCombo), QStringList{"/video"});
    }

    void theOldestEntryFallsOffAtTheMaximum()
    {
        const auto pCombo = Loaded(false, 50);
        for (int i = 0; i < 51; ++i)
            pCombo->AddToHistory(QString("/v%1").arg(i));
        QCOMPARE(pCombo->count(), 50);
        QCOMPARE(pCombo->itemText(0), QString("/v50"));
        QCOMPARE(pCombo->itemText(49), QString("/v1"));
        pCombo->SaveHistory();
        QCOMPARE(Stored("Folder0049"), QString("/v1"));
        QCOMPARE(Stored("Folder0050"), QString("<missing>"));

        pCombo->SetMaxItems(2);
        QCOMPARE(Items(*pCombo), (QStringList{"/v50", "/v49"}));
        pCombo->SetMaxItems(-1); // must not loop for ever
        QCOMPARE(pCombo->count(), 0);
    }

    void savingRewritesEntriesAndDeletesStaleOnes()
    {
        // Five stored, three of them gone from disk: two load, the typed
        // folder makes three, so the last two values must go.
        QTemporaryDir dir;
        const QString a = dir.path() + "/a", b = dir.path() + "/b";
        QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
        Store({a, "/gone1", b, "/gone2", "/gone3"});
        const auto pCombo = Loaded(true);
        pCombo->setEditText("  /new/Video  ");
        pCombo->SaveHistory();

        QCOMPARE(Stored("Folder0000"), QString("/new/Video"));
        QCOMPARE(Stored("Folder0001"), a);
        QCOMPARE(Stored("Folder0002"), b);
        QCOMPARE(Stored("Folder0003"), QString("<missing>"));
        QCOMPARE(Stored("Folder0004"), QString("<missing>"));
        QCOMPARE(Stored("Folder"), QString("/new/Video"));
        QCOMPARE(Items(*Loaded()), (QStringList{"/new/Video", a, b}));
    }

    void theOpenListShowsDropItemsEntries()
    {
        QWidget window;
        auto *pCombo = new CHistoryCombo(&window);
        pCombo->setEditable(true);
        for (int i = 0; i < 30; ++i)
            pCombo->addItem(QString("/entry/%1").arg(i));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (int dropItems : {20, 5}) {
            pCombo->m_nDropItems = dropItems;
            pCombo->showPopup();
            QAbstractItemView *pView = pCombo->view();
            QTRY_VERIFY(pView->isVisible());
            int fullyVisible = 0;
            for (int i = 0; i < pCombo->count(); ++i)
                fullyVisible += pView->viewport()->rect().contains(
                    pView->visualRect(pView->model()->index(i, 0)));
            QCOMPARE(fullyVisible, dropItems);
            pCombo->hidePopup();
        }
    }
};

VELKO_TEST_MAIN(TestHistoryCombo)
#include "tst_historycombo.moc"
