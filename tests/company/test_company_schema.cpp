// The company schema: created on every engine, read by the inquiry's statements, refused
// when it is not ours.
#include "company/company_schema.h"
#include "data/error_of.h"
#include "data/tsv_rows.h"
#include "support/text_rows.h"

#include <QMap>
#include <QRegularExpression>
#include <QtTest>

using bdg::CompanySchema;
using bdg::Connection;
using bdg::SchemaDialect;
using bdg::SchemaError;
using bdg::test::TestDatabase;

namespace {

// Every catalogue number that the inquiry shows or uses as a caption.
const QList<int> UsedMessageNumbers = {
    4760,  9028,  9485,  9636,  15430, 17107, 17546, 17866, 27413, 30179, 38569, 39318, 43034,
    51246, 52384, 53762, 60174, 61833, 61948, 61949, 61950, 61951, 76205, 76206, 76338, 90774};

// The accounts of tests/fixtures/descrizioni.sql: two companies, translations, a criterion.
void insertAccounts(Connection& connection) {
    const auto sql = bdg::test::readTextFile(bdg::test::fixturePath("descrizioni", ".sql"));
    for (const QString& statement : bdg::test::scriptStatements(sql.value()))
        connection.ExecuteNonQuery(statement);
}

// The final select of the amount query with the description applied per account, written
// as the inquiry writes it (T-SQL, lines ending in CR LF) in tests/fixtures/descrizioni.KIND.txt.
QString descriptionQuery(const QString& kind, const QString& company, const QString& language) {
    const auto text =
        bdg::test::readTextFile(bdg::test::fixturePath("descrizioni." + kind, ".txt"));
    return text.value_or(QString())
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"))
        .arg(company, language);
}

QString display(const bdg::Variant& value) {
    return value.isNull() ? QStringLiteral("<null>") : value.toString();
}

// "CONTO=value|..." in account order, whatever order the engine returned the rows in.
QString byAccount(bdg::Recordset& rows, const QString& field) {
    QMap<QString, QString> values;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        values.insert(rows.value(u"CONTO").toString(), display(rows.value(field)));
    QStringList parts;
    for (auto entry = values.cbegin(); entry != values.cend(); ++entry)
        parts << entry.key() + QLatin1Char('=') + entry.value();
    return parts.join(QLatin1Char('|'));
}

// What the messages call a test database: the file, or the PostgreSQL database's name.
QString labelOf(const TestDatabase& database) {
    if (database.isSQLite())
        return database.connectionString();
    static const QRegularExpression name(QStringLiteral("dbname='([^']*)'"));
    return name.match(database.connectionString()).captured(1);
}

bool tableExists(Connection& connection, const QString& table) {
    try {
        connection.Execute(QStringLiteral("SELECT COUNT(*) AS N FROM %1").arg(table));
    } catch (const bdg::DatabaseError&) {
        return false;
    }
    return true;
}

// A fresh database on one engine, open, with the schema (and the accounts) when asked.
struct Company {
    Company(const QString& engine, bool create, bool accounts = false) : database(engine) {
        if (!database.isValid())
            return;
        connection.Open(database.connectionString());
        if (create)
            CompanySchema::create(connection);
        if (accounts)
            insertAccounts(connection);
    }
    TestDatabase database;
    Connection connection;
};

// A _data() row named "engine/name" with the engine already in its first column.
QTestData& engineRow(const QString& engine, const char* name) {
    return QTest::newRow(qPrintable(engine + QLatin1Char('/') + QLatin1String(name))) << engine;
}

} // namespace

class TestCompanySchema : public QObject {
    Q_OBJECT

private slots:
    void catalogueIsWrittenWithTheSchema_data() { bdg::test::addEngineRows(); }

    void descriptionsInTheOuterApplyForm_data() {
        bdg::test::addTsvRows("descrizioni", {"engine", "kind", "company", "language", "expected"});
    }

    void descriptionsInTheOuterApplyForm() {
        // Every mapped account keeps its row; unknown accounts get a Null description.
        QFETCH(QString, engine);
        QFETCH(QString, kind);
        QFETCH(QString, company);
        QFETCH(QString, language);
        QFETCH(QString, expected);
        OPEN_TEST_DATABASE(Company, db, engine, true, true);
        bdg::RecordsetPtr rows = db.connection.Execute(descriptionQuery(kind, company, language));
        QCOMPARE(byAccount(*rows, QStringLiteral("CONTO_DES")), expected);
    }

    void foreignOrOtherVersionIsRefused_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("create");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("failure");
        const QString version = "UPDATE HS00_VERSIONESCHEMA SET HS00_VERSIONE = ";
        const QString versionFailure =
            "company database '%1' has schema version %2; this program reads version 1";
        const QString foreign = "'%1' is not a company database (no schema version table)";
        for (const QString& e : bdg::test::engines()) {
            engineRow(e, "current") << true << version + "1"
                                    << "";
            engineRow(e, "newer") << true << version + "3" << versionFailure.arg("%1", "3");
            engineRow(e, "empty") << false << "" << foreign;
            engineRow(e, "other tables")
                << false << "CREATE TABLE CLIENTI (CODICE INTEGER NOT NULL)" << foreign;
            engineRow(e, "a table missing")
                << true << "DROP TABLE BU20_STRUTTURACRIT"
                << "company database '%1' lacks BU20_STRUTTURACRIT of schema version 1";
        }
    }

    void foreignOrOtherVersionIsRefused() {
        // Only a company database of the version this program was built for is opened.
        QFETCH(QString, engine);
        QFETCH(bool, create);
        QFETCH(QString, statement);
        QFETCH(QString, failure);
        OPEN_TEST_DATABASE(Company, db, engine, create);
        if (!statement.isEmpty())
            db.connection.ExecuteNonQuery(statement);
        QCOMPARE(bdg::test::errorOf<SchemaError>([&] { CompanySchema::check(db.connection); }),
                 failure.isEmpty() ? QStringLiteral("no error")
                                   : failure.arg(labelOf(db.database)));
    }

    void valuesTheirColumnCannotMeanAreRefused_data() {
        bdg::test::addTsvRows("valori_rifiutati", {"engine", "statement", "read", "fault"});
    }

    void valuesTheirColumnCannotMeanAreRefused() {
        // Once a company database is checked, a statement naming a table holding a value its
        // column cannot mean fails with the table, the row's key and the value.
        QFETCH(QString, engine);
        QFETCH(QString, statement);
        QFETCH(QString, read);
        QFETCH(QString, fault);
        OPEN_TEST_DATABASE(Company, db, engine, true);
        const auto rows = bdg::test::readTextFile(bdg::test::fixturePath("valori", ".sql"));
        for (const QString& row : bdg::test::scriptStatements(rows.value()))
            db.connection.ExecuteNonQuery(row);
        if (!statement.isEmpty())
            db.connection.ExecuteNonQuery(statement);
        CompanySchema::check(db.connection);
        const QString prefix =
            QStringLiteral("cannot run query on company database '%1': ").arg(labelOf(db.database));
        QCOMPARE(bdg::test::errorOf<bdg::DatabaseError>([&] { db.connection.Execute(read); }),
                 fault.isEmpty() ? QStringLiteral("no error") : prefix + fault);
    }

    void creationOverExistingTablesIsRefused_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("companyFirst");
        for (const QString& e : bdg::test::engines()) {
            engineRow(e, "foreign table in the way") << false;
            engineRow(e, "company database already there") << true;
        }
    }

    void creationOverExistingTablesIsRefused() {
        // Creating over tables already there is refused, adds nothing and keeps what was there.
        QFETCH(QString, engine);
        QFETCH(bool, companyFirst);
        OPEN_TEST_DATABASE(Company, db, engine, companyFirst);
        db.connection.ExecuteNonQuery(
            companyFirst
                ? "INSERT INTO HS01_DITTE (HS01_CODICE, HS01_RAGSOC) VALUES (1, 'Rossi Srl')"
                : "CREATE TABLE HS03_CAMBI (ALTRO INTEGER NOT NULL)");
        QVERIFY_THROWS_EXCEPTION(SchemaError, CompanySchema::create(db.connection));
        if (companyFirst) {
            QCOMPARE(db.connection.Execute("SELECT HS01_RAGSOC FROM HS01_DITTE")->RecordCount(), 1);
            return;
        }
        for (const char* table : {"BU19_VOCICRITELAB", "HS01_DITTE", "HS00_VERSIONESCHEMA"})
            QVERIFY2(!tableExists(db.connection, table), table);
        QVERIFY(tableExists(db.connection, "HS03_CAMBI"));
    }

    void catalogueIsWrittenWithTheSchema() {
        // The new database holds the Italian text of every message the inquiry uses.
        QFETCH(QString, engine);
        OPEN_TEST_DATABASE(Company, db, engine, true);
        QStringList numbers;
        for (int number : UsedMessageNumbers)
            numbers << QString::number(number);
        bdg::RecordsetPtr rows = db.connection.Execute(
            QStringLiteral("SELECT HS06_NUMERO, HS06_LINGUA, HS06_TESTO FROM HS06_MESSAGGI WHERE "
                           "HS06_NUMERO IN (%1)")
                .arg(numbers.join(", ")));
        QCOMPARE(rows->RecordCount(), UsedMessageNumbers.size());
        rows->setFilter(QStringLiteral("HS06_NUMERO = 38569")); // accented text round trip
        rows->MoveFirst();
        QCOMPARE(rows->value(u"HS06_TESTO").toString(), QStringLiteral("Multiattività:"));
    }

    void scriptsCreateEveryTable_data() {
        QTest::addColumn<int>("dialect");
        QTest::newRow("sqlite") << int(SchemaDialect::SQLite);
        QTest::newRow("postgresql") << int(SchemaDialect::PostgreSQL);
        QTest::newRow("sqlserver") << int(SchemaDialect::SqlServer);
    }

    void scriptsCreateEveryTable() {
        // The printed scripts create every table and, on a server, both description
        // functions with their arguments filled in.
        QFETCH(int, dialect);
        const QString script = CompanySchema::script(SchemaDialect(dialect));
        for (const bdg::TableDef& table : CompanySchema::tables())
            QVERIFY2(script.contains("CREATE TABLE " + table.name + " (\n"),
                     qPrintable(table.name));
        const bool server = SchemaDialect(dialect) != SchemaDialect::SQLite;
        QCOMPARE(script.count("CREATE FUNCTION FNCG_CG24_CONTO("), int(server));
        QCOMPARE(script.count("CREATE FUNCTION FNPC03_ANAGPDC_COGE("), int(server));
        QVERIFY(!script.contains(QRegularExpression(QStringLiteral("\\?[1-4]"))));
        if (SchemaDialect(dialect) == SchemaDialect::SqlServer)
            QVERIFY(script.contains(QStringLiteral("N'Multiattività:')\nGO\n")));
    }

    void databaseLabelHidesPasswords_data() {
        QTest::addColumn<QString>("connectionString");
        QTest::addColumn<QString>("label");
        const char* const rows[][3] = {
            {"file", "/data/rossi.sqlite", "/data/rossi.sqlite"},
            {"sqlite prefix", "sqlite:/data/rossi.sqlite", "/data/rossi.sqlite"},
            {"keywords", "host=db port=5432 dbname=rossi user=u password=segreta", "rossi"},
            {"quoted keywords", "host=db dbname='ditta rossi' password='a b'", "ditta rossi"},
            {"url", "postgresql://u:segreta@db:5432/rossi?sslmode=disable", "rossi"},
            {"odbc", "Driver={ODBC Driver 18};Server=db;UID=u;PWD=segreta;Database=x",
             "Driver={ODBC Driver 18};Server=db;UID=u;PWD=***;Database=x"},
        };
        bdg::test::addTextRows(rows);
    }

    void databaseLabelHidesPasswords() {
        // Messages name the database the way the user wrote it, never with its password.
        QFETCH(QString, connectionString);
        QFETCH(QString, label);
        QCOMPARE(CompanySchema::databaseLabel(connectionString), label);
    }
};

QTEST_GUILESS_MAIN(TestCompanySchema)
#include "test_company_schema.moc"
