// TDatabase as a component: its properties, its place in form descriptions, and the errors of
// an Open that cannot start.

#include <db/DBTables.h>
#include <vcl/FormText.h>

#include <QSqlDatabase>
#include <QTest>

using namespace vcl;

// A form-like root that holds a database.
class THolder : public TComponent {
    Q_OBJECT
public:
    Q_INVOKABLE explicit THolder(vcl::TComponent* AOwner) : TComponent(AOwner) {}
};

class tst_Database : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { RegisterClass<THolder>(); }

    void isRegisteredAndCreatedByName() {
        TComponentClass cls = GetClass(QStringLiteral("TDatabase"));
        QCOMPARE(cls, &TDatabase::staticMetaObject);
        TComponent owner(nullptr);
        TComponent* c = CreateComponent(cls, &owner);
        QVERIFY(qobject_cast<TDatabase*>(c));
        QCOMPARE(c->Owner(), &owner);
        auto* db = static_cast<TDatabase*>(c);
        QVERIFY(!db->Connected());
        QCOMPARE(db->Params()->Count(), 0);
    }

    void streamsWithTheFormThatHoldsIt() {
        THolder holder(nullptr);
        holder.SetName(QStringLiteral("Holder"));
        auto* db = new TDatabase(&holder);
        db->SetName(QStringLiteral("Database1"));
        db->SetDatabaseName(QStringLiteral("Sales"));
        db->SetDriverName(QStringLiteral("MSSQL"));
        db->Params()->Values["SERVER NAME"] = QStringLiteral("ALPHA1");
        db->Params()->Values["USER NAME"] = QStringLiteral("sa");
        db->SetDesignPosition(24, 16);
        const QString expected = QStringLiteral("object Holder: THolder\n"
                                                "  object Database1: TDatabase\n"
                                                "    DatabaseName = 'Sales'\n"
                                                "    DriverName = 'MSSQL'\n"
                                                "    Params.Strings = (\n"
                                                "      'SERVER NAME=ALPHA1'\n"
                                                "      'USER NAME=sa')\n"
                                                "    Left = 24\n"
                                                "    Top = 16\n"
                                                "  end\n"
                                                "end\n");
        QCOMPARE(WriteComponentText(&holder), expected);

        TComponent owner(nullptr);
        TComponent* root = ReadComponentText(expected, QStringLiteral("holder"), nullptr, &owner);
        auto* read = qobject_cast<TDatabase*>(root->FindComponent(QStringLiteral("Database1")));
        QVERIFY(read);
        QCOMPARE(read->DatabaseName(), QStringLiteral("Sales"));
        QCOMPARE(read->DriverName(), QStringLiteral("MSSQL"));
        QCOMPARE(read->Params()->ToStringList(), db->Params()->ToStringList());
        QVERIFY(!read->Connected());
        QCOMPARE(WriteComponentText(root), expected);
    }

    void paramsFollowTheNameValueRules() {
        TDatabase db(nullptr);
        TStrings& p = *db.Params();
        p.Values["SERVER NAME"] = QStringLiteral("one");
        p.Values["USER NAME"] = QStringLiteral("u");
        p.Values["server name"] = QStringLiteral("two"); // replaces, keeps its place
        QCOMPARE(p.ToStringList(), (QStringList{"server name=two", "USER NAME=u"}));
        p.Values["USER NAME"] = QString(); // removes
        QCOMPARE(p.ToStringList(), QStringList{"server name=two"});

        TStringList other;
        other.Add(QStringLiteral("PASSWORD=x"));
        db.SetParams(&other); // copies
        other.Clear();
        QCOMPARE(p.ToStringList(), QStringList{"PASSWORD=x"});
    }

    void closingAClosedDatabaseIsHarmless() {
        TDatabase db(nullptr);
        db.Close();
        db.Close();
        db.SetConnected(false);
        QVERIFY(!db.Connected());
        QVERIFY(!db.Connection().isValid());
    }

    void anOpenThatCannotStartSaysWhy_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no driver") << ""
                                   << "SERVER NAME=db1"
                                   << "unknown DriverName ''";
        QTest::newRow("unknown driver") << "ORACLE"
                                        << "SERVER NAME=db1"
                                        << "unknown DriverName 'ORACLE', expected MSSQL or PGSQL";
        QTest::newRow("no server") << "MSSQL"
                                   << "USER NAME=sa"
                                   << "SERVER NAME is empty";
        QTest::newRow("bad port") << "PGSQL"
                                  << "SERVER NAME=db1,port"
                                  << "Invalid port 'port'";
        QTest::newRow("instance on PostgreSQL") << "PGSQL"
                                                << "SERVER NAME=db1\\INST"
                                                << "names an instance";
        QTest::newRow("language driver") << "MSSQL"
                                         << "SERVER NAME=db1\nLANGDRIVER=XX"
                                         << "Unknown LANGDRIVER 'XX'";
    }
    void anOpenThatCannotStartSaysWhy() {
        QFETCH(QString, driver);
        QFETCH(QString, params);
        QFETCH(QString, expected);
        TDatabase db(nullptr);
        db.SetDatabaseName(QStringLiteral("Sales"));
        db.SetDriverName(driver);
        db.Params()->SetText(params);
        try {
            db.Open();
            QFAIL("opened");
        } catch (const EDatabaseError& e) {
            QVERIFY2(e.Message().startsWith("Cannot open database 'Sales': "),
                     qPrintable(e.Message()));
            QVERIFY2(e.Message().contains(expected), qPrintable(e.Message()));
        }
        QVERIFY(!db.Connected());
        QCOMPARE(QSqlDatabase::connectionNames(), QStringList()); // nothing left behind
    }
};

QTEST_GUILESS_MAIN(tst_Database)

#include "tst_database.moc"
