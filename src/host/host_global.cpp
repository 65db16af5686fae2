#include "host/host_global.h"

#include "data/connection.h"
#include "data/sql_literal.h"
#include "host/message_service.h"

#include <QRegularExpression>

namespace bdg {

namespace {

const QString CrLf = QStringLiteral("\r\n");
// Texts of the catalogue that ship with the program; other languages fall back to it.
const QString LinguaPredefinita = QStringLiteral("ITA");

Connection& requireConnection(Connection* connection, const char* what) {
    if (connection == nullptr)
        throw HostError(std::string("cannot read ") + what + ": no company database connection");
    return *connection;
}

RecordsetPtr firstRow(Connection& connection, const QStringList& lines) {
    const RecordsetPtr rows = connection.Execute(lines.join(CrLf) + CrLf);
    rows->MoveFirst();
    return rows;
}

/// %1, %2, ... replaced by the parameters; %10 is replaced before %1 so that it is not
/// taken for %1 followed by 0, and the parameters' own text is never scanned again.
QString replacePlaceholders(const QString& text, const QStringList& params) {
    QString result;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar character = text.at(at);
        if (character != QLatin1Char('%') || at + 1 >= text.size() || !text.at(at + 1).isDigit()) {
            result += character;
            continue;
        }
        qsizetype end = at + 1;
        while (end < text.size() && text.at(end).isDigit())
            ++end;
        // The longest number that names a parameter wins: with 12 parameters "%12" is the
        // twelfth, with 3 it is the first followed by "2".
        qsizetype length = end - at - 1;
        int index = 0;
        while (length > 0) {
            index = text.mid(at + 1, length).toInt();
            if (index >= 1 && index <= params.size())
                break;
            --length;
        }
        if (length == 0) {
            result += character;
            continue;
        }
        result += params.at(index - 1);
        at += length;
    }
    return result;
}

} // namespace

HostGlobal::HostGlobal(MessageService* messages, Connection* connection,
                       const QString& connectionString)
    : m_messages(messages), m_connection(connection), m_connectionString(connectionString) {
    if (m_connectionString.isEmpty() && m_connection != nullptr)
        m_connectionString = m_connection->connectionString();
}

int HostGlobal::ShowMessage(const QString& text, int style, const QString& title) {
    QString shown = text;
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d{1,9})\\s*$"));
    const QRegularExpressionMatch match = number.match(text);
    if (match.hasMatch() && m_connection != nullptr)
        shown = catalogueText(match.captured(1).toInt()).value_or(text);
    if (m_messages == nullptr)
        return defaultAnswer(style);
    return m_messages->ShowMessage(shown, style, title);
}

int HostGlobal::ShowMessageNumber(int number, int style, const QString& title,
                                  const QStringList& params) {
    const QString text = GetMessageText(number, params);
    if (m_messages == nullptr)
        return defaultAnswer(style);
    return m_messages->ShowMessage(text, style, title);
}

QString HostGlobal::GetMessageText(int number, const QStringList& params) {
    const std::optional<QString> text = catalogueText(number);
    if (!text)
        return QStringLiteral("Messaggio n. %1 non presente nel catalogo").arg(number);
    return replacePlaceholders(*text, params);
}

std::optional<QString> HostGlobal::catalogueText(int number) {
    Connection& connection = requireConnection(m_connection, "the message catalogue");
    const QString lingua = m_ditta.CodLingua.isEmpty() ? LinguaPredefinita : m_ditta.CodLingua;
    // The company's language sorts first when it has the message; otherwise the shipped text.
    const RecordsetPtr rows = firstRow(
        connection,
        {QStringLiteral(" SELECT   HS06_TESTO, "),
         QStringLiteral("          CASE WHEN HS06_LINGUA = %1 THEN 0 ELSE 1 END AS ORDINE ")
             .arg(sqlText(lingua)),
         QStringLiteral(" FROM     HS06_MESSAGGI WITH(NOLOCK) "),
         QStringLiteral(" WHERE    HS06_NUMERO = %1 ").arg(number),
         QStringLiteral(" AND      HS06_LINGUA IN (%1, %2) ")
             .arg(sqlText(lingua), sqlText(LinguaPredefinita)),
         QStringLiteral(" ORDER BY ORDINE ")});
    if (rows->Eof())
        return std::nullopt;
    return rows->value(0).toString();
}

void HostGlobal::ApriDitta(std::int32_t codDitta) {
    Connection& connection = requireConnection(m_connection, "the company settings");
    const RecordsetPtr rows = firstRow(
        connection,
        {QStringLiteral(" SELECT HS01_RAGSOC, HS01_LINGUA, HS01_VALUTA_HS02, HS01_GESTIONESEDI "),
         QStringLiteral(" FROM   HS01_DITTE WITH(NOLOCK) "),
         QStringLiteral(" WHERE  HS01_CODICE = %1 ").arg(codDitta)});
    if (rows->Eof())
        throw HostError(QStringLiteral("company %1 does not exist in the company database")
                            .arg(codDitta)
                            .toStdString());
    CompanyContext ditta;
    ditta.CodDitta = codDitta;
    ditta.RagioneSociale = rows->value(QStringLiteral("HS01_RAGSOC")).toString();
    ditta.CodLingua = rows->value(QStringLiteral("HS01_LINGUA")).toString().trimmed();
    if (ditta.CodLingua.isEmpty())
        ditta.CodLingua = LinguaPredefinita;
    ditta.CodValutaGestione = NVL(rows->value(QStringLiteral("HS01_VALUTA_HS02")), Variant::null());
    ditta.GestioneSedi = rows->value(QStringLiteral("HS01_GESTIONESEDI"));
    m_ditta = ditta;
    m_isDittaAperta = true;
}

std::optional<CurrencyData> HostGlobal::DatiValuta(const QString& codValuta) {
    Connection& connection = requireConnection(m_connection, "the currency data");
    const RecordsetPtr rows =
        firstRow(connection,
                 {QStringLiteral(" SELECT HS02_DESCR, HS02_NRDECIMALI, HS02_MASCHERA "),
                  QStringLiteral(" FROM   HS02_VALUTE WITH(NOLOCK) "),
                  QStringLiteral(" WHERE  HS02_CODICE = %1 ").arg(sqlText(codValuta.trimmed()))});
    if (rows->Eof())
        return std::nullopt;
    CurrencyData data;
    data.Descrizione = rows->value(QStringLiteral("HS02_DESCR"));
    data.NrDecimali = rows->value(QStringLiteral("HS02_NRDECIMALI"));
    const std::optional<std::int32_t> decimali = data.NrDecimali.toInt32();
    if (!data.NrDecimali.isNull() && (!decimali || *decimali < 0 || *decimali > MaxNrDecimali))
        throw HostError(QStringLiteral("HS02_NRDECIMALI of currency '%1' is '%2'; a currency has "
                                       "0 to %3 decimals")
                            .arg(codValuta.trimmed(), data.NrDecimali.toString())
                            .arg(MaxNrDecimali)
                            .toStdString());
    data.Formato = rows->value(QStringLiteral("HS02_MASCHERA"));
    return data;
}

std::optional<ExchangeRate> HostGlobal::Cambio(const QString& codValuta, const QDate& date) {
    Connection& connection = requireConnection(m_connection, "the exchange rates");
    if (!date.isValid())
        return std::nullopt;
    // Rates are quoted against the management currency; before a company is open any
    // reference currency will do.
    QString filter = QStringLiteral(" HS03_CODICE_HS02 = %1 ").arg(sqlText(codValuta.trimmed()));
    if (!m_ditta.CodValutaGestione.isNullOrEmpty())
        filter +=
            QStringLiteral(" AND HS03_VALRIF_HS02 = %1 ").arg(sqlText(m_ditta.CodValutaGestione));
    const QString day = sqlText(date.toString(Qt::ISODate));
    // The latest date on or before the day asked; on that date the lowest kind of rate
    // (the daily rate before averages and budget rates).
    const RecordsetPtr rows = firstRow(
        connection,
        {QStringLiteral(" SELECT   HS03_DATA, HS03_TIPOCAMBIO, HS03_CAMBIO, HS03_INDCERTOINCERTO "),
         QStringLiteral(" FROM     HS03_CAMBI WITH(NOLOCK) "), QStringLiteral(" WHERE   ") + filter,
         QStringLiteral(" AND      HS03_DATA = ( SELECT MAX(HS03_DATA) "),
         QStringLiteral("                        FROM   HS03_CAMBI WITH(NOLOCK) "),
         QStringLiteral("                        WHERE ") + filter,
         QStringLiteral("                        AND    HS03_DATA <= %1 ) ").arg(day),
         QStringLiteral(" ORDER BY HS03_TIPOCAMBIO ")});
    if (rows->Eof())
        return std::nullopt;
    ExchangeRate rate;
    rate.DataCambio = QDate::fromString(
        rows->value(QStringLiteral("HS03_DATA")).toString().left(10), Qt::ISODate);
    rate.TipoCambio = rows->value(QStringLiteral("HS03_TIPOCAMBIO")).toInt32().value_or(0);
    const std::optional<Decimal> value = rows->value(QStringLiteral("HS03_CAMBIO")).toDecimal();
    if (!value)
        throw HostError(QStringLiteral("the exchange rate of '%1' is not a number")
                            .arg(codValuta)
                            .toStdString());
    rate.Cambio = *value;
    rate.IsCertoIncerto =
        rows->value(QStringLiteral("HS03_INDCERTOINCERTO")).toBool().value_or(false);
    return rate;
}

RecordsetPtr HostGlobal::GetCambio(const QString& codValuta, const QDate& date) {
    const std::optional<ExchangeRate> rate = Cambio(codValuta, date);
    auto rows = std::make_shared<Recordset>();
    rows->appendField(QStringLiteral("TIPOCAMBIO"), FieldType::Integer);
    rows->appendField(QStringLiteral("CAMBIO"), FieldType::Decimal);
    rows->setPrecision(1, 19);
    rows->setNumericScale(1, 8);
    rows->appendField(QStringLiteral("INDCERTOINCERTO"), FieldType::Boolean);
    rows->appendField(QStringLiteral("DATACAMBIO"), FieldType::VarWChar, 10);
    rows->Open();
    rows->AddNew();
    if (rate) {
        rows->setValue(0, Variant(rate->TipoCambio));
        rows->setValue(1, Variant(rate->Cambio));
        rows->setValue(2, Variant(rate->IsCertoIncerto));
        rows->setValue(3, Variant(rate->DataCambio.toString(Qt::ISODate)));
    } else {
        rows->setValue(0, Variant(NoRate));
        rows->setValue(1, Variant::null());
        rows->setValue(2, Variant::null());
        rows->setValue(3, Variant::null());
    }
    rows->Update();
    rows->MoveFirst();
    return rows;
}

} // namespace bdg
