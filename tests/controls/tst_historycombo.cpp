#include "AppProfile.h"
#include "HistoryCombo.h"
#include "TestHome.h"

#include <QAbstractItemView>
#include <QLineEdit>

namespace
{
const QString kSection = QStringLiteral("FolderHistory");

QString Stored(const QString &strEntry)
{
    return CAppProfile().GetProfileString(kSection, strEntry, QStringLiteral("<missing>"));
}

void Store(const QStringList &values)
{
    CAppProfile profile;
    for (int i = 0; i < values.size(); ++i)
        profile.WriteProfileString(
            kSection, QStringLiteral("Folder%1").arg(i, 4, 10, QLatin1Char('0')), values[i]);
}

QStringList Items(const QComboBox &combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}
} // namespace

class TestHistoryCombo : public QObject
{
    Q_OBJECT

private slots:
    void init() { CTestHome::ClearProfile(); }

    void loadingStopsAtTheFirstEmptyValue_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::newRow("empty value") << false;
        QTest::newRow("missing value") << true;
    }

    void loadingStopsAtTheFirstEmptyValue()
    {
        QFETCH(bool, missing);
        Store({QStringLiteral("/a"), QString(), QStringLiteral("/b")});
        if (missing)
            CAppProfile().DeleteProfileValue(kSection, QStringLiteral("Folder0001"));
        CHistoryCombo combo;
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(Items(combo), QStringList{QStringLiteral("/a")});
    }

    void loadingSkipsFoldersThatNoLongerExist()
    {
        QTemporaryDir dir;
        const QString a = dir.path() + QStringLiteral("/a"), b = dir.path() + QStringLiteral("/b");
        QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
        Store({a, dir.path() + QStringLiteral("/deleted"), b});

        CHistoryCombo combo;
        combo.m_bOnlyExisting = true;
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(Items(combo), (QStringList{a, b}));
    }

    void loadingReadsAtMostTheMaximum()
    {
        QStringList values;
        for (int i = 0; i < 60; ++i)
            values << QStringLiteral("/v%1").arg(i);
        Store(values);
        CHistoryCombo combo;
        combo.SetMaxItems(50);
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(Items(combo), values.mid(0, 50));
    }

    void currentTextIsRestored_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("matching entry, other case")
            << QStringLiteral("/MEDIA/b") << 1 << QStringLiteral("/media/B");
        QTest::newRow("no matching entry")
            << QStringLiteral("/elsewhere") << 0 << QStringLiteral("/elsewhere");
        QTest::newRow("nothing stored") << QString() << 0 << QStringLiteral("/media/A");
    }

    void currentTextIsRestored()
    {
        QFETCH(QString, current);
        QFETCH(int, index);
        QFETCH(QString, text);
        Store({QStringLiteral("/media/A"), QStringLiteral("/media/B")});
        if (!current.isEmpty())
            CAppProfile().WriteProfileString(kSection, QStringLiteral("Folder"), current);

        CHistoryCombo combo;
        combo.setEditable(true);
        const QString answer = combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(combo.currentIndex(), index);
        QCOMPARE(combo.currentText(), text);
        if (!current.isEmpty())
            QCOMPARE(answer, current);
    }

    void addingMovesADuplicateToTheTop()
    {
        Store({QStringLiteral("/a"), QStringLiteral("/b"), QStringLiteral("/c"),
               QStringLiteral("/x/Media"), QStringLiteral("/e")});
        CHistoryCombo combo;
        combo.setEditable(true);
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(combo.AddToHistory(QStringLiteral("/x/media")), 0);
        QCOMPARE(Items(combo),
                 (QStringList{QStringLiteral("/x/media"), QStringLiteral("/a"),
                              QStringLiteral("/b"), QStringLiteral("/c"), QStringLiteral("/e")}));
        QCOMPARE(combo.currentText(), QStringLiteral("/x/media"));
    }

    void caseSensitiveMatchingKeepsBothSpellings()
    {
        Store({QStringLiteral("/x/Media")});
        CHistoryCombo combo;
        combo.m_csMatch = Qt::CaseSensitive;
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        combo.AddToHistory(QStringLiteral("/x/media"));
        QCOMPARE(Items(combo),
                 (QStringList{QStringLiteral("/x/media"), QStringLiteral("/x/Media")}));
    }

    void addingTrimsAndRefusesBlanks()
    {
        CHistoryCombo combo;
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(combo.AddToHistory(QStringLiteral(" \t ")), -1);
        QCOMPARE(combo.count(), 0);
        QCOMPARE(combo.AddToHistory(QStringLiteral("  /video \n")), 0);
        QCOMPARE(Items(combo), QStringList{QStringLiteral("/video")});
    }

    void addingWithoutAHistoryJustAppends()
    {
        CHistoryCombo combo;
        combo.addItem(QStringLiteral("first"));
        QCOMPARE(combo.AddToHistory(QStringLiteral("  as is ")), 1);
        QCOMPARE(Items(combo), (QStringList{QStringLiteral("first"), QStringLiteral("  as is ")}));
    }

    void theOldestEntryFallsOffAtTheMaximum()
    {
        CHistoryCombo combo;
        combo.SetMaxItems(50);
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        for (int i = 0; i < 51; ++i)
            combo.AddToHistory(QStringLiteral("/v%1").arg(i));
        QCOMPARE(combo.count(), 50);
        QCOMPARE(combo.itemText(0), QStringLiteral("/v50"));
        QCOMPARE(combo.itemText(49), QStringLiteral("/v1"));

        combo.SaveHistory();
        QCOMPARE(Stored(QStringLiteral("Folder0049")), QStringLiteral("/v1"));
        QCOMPARE(Stored(QStringLiteral("Folder0050")), QStringLiteral("<missing>"));
    }

    void loweringTheMaximumDropsTheOldest()
    {
        CHistoryCombo combo;
        combo.addItems({QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")});
        combo.SetMaxItems(2);
        QCOMPARE(Items(combo), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        combo.SetMaxItems(-1); // must not loop for ever
        QCOMPARE(combo.count(), 0);
    }

    void savingRewritesEntriesAndDeletesStaleOnes()
    {
        // Five stored, three of them gone from disk: two load, the typed
        // folder makes three, so the last two values must go.
        QTemporaryDir dir;
        const QString a = dir.path() + QStringLiteral("/a"), b = dir.path() + QStringLiteral("/b");
        QVERIFY(QDir().mkpath(a) && QDir().mkpath(b));
        Store({a, QStringLiteral("/gone1"), b, QStringLiteral("/gone2"), QStringLiteral("/gone3")});

        CHistoryCombo combo;
        combo.setEditable(true);
        combo.m_bOnlyExisting = true;
        combo.LoadHistory(kSection, QStringLiteral("Folder"));
        combo.setEditText(QStringLiteral("  /new/Video  "));
        combo.SaveHistory();

        QCOMPARE(Stored(QStringLiteral("Folder0000")), QStringLiteral("/new/Video"));
        QCOMPARE(Stored(QStringLiteral("Folder0001")), a);
        QCOMPARE(Stored(QStringLiteral("Folder0002")), b);
        QCOMPARE(Stored(QStringLiteral("Folder0003")), QStringLiteral("<missing>"));
        QCOMPARE(Stored(QStringLiteral("Folder0004")), QStringLiteral("<missing>"));
        QCOMPARE(Stored(QStringLiteral("Folder")), QStringLiteral("/new/Video"));

        CHistoryCombo reloaded;
        reloaded.LoadHistory(kSection, QStringLiteral("Folder"));
        QCOMPARE(Items(reloaded), (QStringList{QStringLiteral("/new/Video"), a, b}));
    }

    void currentTextGoesUnderItsOwnKey()
    {
        CHistoryCombo combo;
        combo.setEditable(true);
        combo.LoadHistory(kSection, QStringLiteral("Folder"), true, QStringLiteral("Current"));
        combo.setEditText(QStringLiteral("/x"));
        combo.SaveHistory();
        QCOMPARE(Stored(QStringLiteral("Current")), QStringLiteral("/x"));
        QCOMPARE(Stored(QStringLiteral("Folder")), QStringLiteral("<missing>"));

        CHistoryCombo noRestore;
        noRestore.setEditable(true);
        noRestore.LoadHistory(QStringLiteral("Other"), QStringLiteral("Item"), false);
        noRestore.setEditText(QStringLiteral("/y"));
        noRestore.SaveHistory();
        QCOMPARE(
            CAppProfile().GetProfileString(QStringLiteral("Other"), QStringLiteral("Item0000")),
            QStringLiteral("/y"));
        QVERIFY(!CAppProfile().HasProfileValue(QStringLiteral("Other"), QStringLiteral("Item")));
    }

    void savingWithoutAHistoryWritesNothing()
    {
        CHistoryCombo combo;
        combo.setEditable(true);
        combo.setEditText(QStringLiteral("/x"));
        combo.SaveHistory();
        QVERIFY(QSettings(QSettings::NativeFormat, QSettings::UserScope,
                          CAppProfile::OrganizationName(), CAppProfile::AppName())
                    .allKeys()
                    .isEmpty());
    }

    void theOpenListShowsDropItemsEntries_data()
    {
        QTest::addColumn<int>("dropItems");
        QTest::newRow("20") << 20;
        QTest::newRow("5") << 5;
    }

    void theOpenListShowsDropItemsEntries()
    {
        QFETCH(int, dropItems);
        QWidget window;
        auto *combo = new CHistoryCombo(&window);
        combo->setEditable(true);
        for (int i = 0; i < 30; ++i)
            combo->addItem(QStringLiteral("/entry/%1").arg(i));
        combo->m_nDropItems = dropItems;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QTRY_VERIFY(view->isVisible());
        const QRect shown = view->viewport()->rect();
        int fullyVisible = 0;
        for (int i = 0; i < combo->count(); ++i) {
            if (shown.contains(view->visualRect(view->model()->index(i, 0))))
                ++fullyVisible;
        }
        QCOMPARE(fullyVisible, dropItems);
        combo->hidePopup();
    }
};

VELKO_TEST_MAIN(TestHistoryCombo)
#include "tst_historycombo.moc"
