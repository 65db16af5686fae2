#include "compare/column_arrays.h"

#include "data/connection.h"
#include "host/associated_companies.h"
#include "host/error_trap.h"
#include "host/form_state.h"
#include "host/host_global.h"
#include "host/message_catalogue.h"

#include <QDate>

#include <stdexcept>

namespace bdg {

namespace {

using ValueList = std::array<std::vector<Variant>, 2>;

const QString CRLF = QStringLiteral("\r\n");

QString lines(std::initializer_list<QString> texts) {
    QString sql;
    for (const QString& text : texts) {
        sql += text + CRLF;
    }
    return sql;
}

QString messageText(const FormState& state, int number) {
    if (state.Gcls_Global == nullptr) {
        throw std::runtime_error("servizi dell'applicazione non impostati (Gcls_Global)");
    }
    return state.Gcls_Global->GetMessageText(number);
}

// Forecast labels stay three characters wide up to forecast 99: "Fo1" .. "Fo9", "F10".
QString forecastLabel(int forecast) {
    const QString prefix = forecast < 10 ? QStringLiteral("Fo") : QStringLiteral("F");
    return prefix + QString::number(forecast);
}

void setEntry(ValueList& list, std::size_t entry, const Variant& code, const Variant& text) {
    list[0][entry] = code;
    list[1][entry] = text;
}

// One value list from a query: each non-empty value fills the next entry (value and text
// alike); entries of skipped rows stay Empty. With no rows the list offers `fallback` alone.
ValueList readValueList(Connection& connection, const QString& sql, const QString& column,
                        const Variant& fallback) {
    const RecordsetPtr rows = connection.Execute(sql);
    const int count = rows ? rows->RecordCount() : 0;
    if (count == 0) {
        return ValueList{std::vector<Variant>{fallback}, std::vector<Variant>{fallback}};
    }
    ValueList list{std::vector<Variant>(count), std::vector<Variant>(count)};
    std::size_t entry = 0;
    for (rows->MoveFirst(); !rows->Eof(); rows->MoveNext()) {
        const Variant value = rows->value(column);
        if (NVL(value, Variant()).isEmpty()) {
            continue;
        }
        setEntry(list, entry++, value, value);
    }
    return list;
}

Connection& connectionOf(const FormState& state) {
    if (state.connection == nullptr) {
        throw std::runtime_error("connessione al database dell'azienda non aperta");
    }
    return *state.connection;
}

QString sqlSedi(FormState& state, int year) {
    if (!state.IsMultiAttivita) {
        return sqlSediDitta(state.CodDitta);
    }
    const QString aziende = NVL(IsAziendaPrincipale(state, Variant(year)), Variant()).toString();
    if (aziende.trimmed().isEmpty()) {
        throw std::runtime_error(QStringLiteral("impossibile leggere le sedi: l'azienda %1 non ha "
                                                "aziende collegate da consolidare nel %2")
                                     .arg(state.CodDitta)
                                     .arg(year)
                                     .toStdString());
    }
    return sqlSediDitta(state.CodDitta, aziende);
}

// The amount caption of one set: label of its kind of figures, a blank, its year.
QString amountCaption(const FormState& state, const Recordset& set) {
    std::int32_t tipo = 0;
    const Variant stored = set.value(u"CFR_TIPODETT");
    if (!stored.isNullOrEmpty()) {
        const std::optional<std::int32_t> parsed = stored.toInt32();
        if (!parsed) {
            throw std::runtime_error(
                QStringLiteral("tipo dettaglio non numerico (CFR_TIPODETT): '%1'")
                    .arg(stored.toString())
                    .toStdString());
        }
        tipo = *parsed;
    }
    // Codes above 2 are forecasts, listed from entry 2 on: code 2 itself is never offered.
    const std::int32_t entry = tipo > 2 ? tipo - 1 : tipo;
    const std::vector<Variant>& labels = state.ArrTipoDettaglioBreve[1];
    if (entry < 0 || static_cast<std::size_t>(entry) >= labels.size()) {
        throw std::runtime_error(
            QStringLiteral("tipo dettaglio %1 non previsto dal sottotipo (CFR_TIPODETT)")
                .arg(tipo)
                .toStdString());
    }
    return labels[static_cast<std::size_t>(entry)].toString() + QStringLiteral(" ") +
           NVL(set.value(u"CFR_ANNO"), Variant()).toString();
}

std::array<std::vector<QString>, 4> buildCaptions(const FormState& state, Recordset& sets) {
    const std::size_t count = static_cast<std::size_t>(sets.RecordCount());
    std::array<std::vector<QString>, 4> captions;
    for (auto& row : captions) {
        row.assign(count, QString());
    }
    std::size_t rank = 0;
    for (sets.MoveFirst(); !sets.Eof(); sets.MoveNext()) {
        ++rank;
        if (NVL(sets.value(u"CFR_SEQUENZA"), Variant()).isEmpty()) {
            continue;
        }
        captions[0][rank - 1] = QString::number(rank);
        captions[1][rank - 1] = amountCaption(state, sets);
    }
    for (std::size_t entry = 0; entry < count; ++entry) {
        const QString compact = QString(captions[1][entry]).remove(QLatin1Char(' '));
        captions[2][entry] = QStringLiteral("D ") + compact;
        captions[3][entry] = QStringLiteral("% ") + compact;
    }
    return captions;
}

} // namespace

QString sqlAnniDitta(int codDitta) {
    return lines({QStringLiteral(" SELECT   CG19_ANNO "),
                  QStringLiteral(" FROM     CG19_ANADITTAESER WITH(NOLOCK) "),
                  QStringLiteral(" WHERE    CG19_DITTA_CG18 = ") + QString::number(codDitta),
                  QStringLiteral(" ORDER BY CG19_ANNO DESC ")});
}

QString sqlProgressiviDitta(int codDitta) {
    return lines({QStringLiteral(" SELECT  DISTINCT CG19_PROGESER "),
                  QStringLiteral(" FROM    CG19_ANADITTAESER WITH(NOLOCK) "),
                  QStringLiteral(" WHERE   CG19_DITTA_CG18 = ") + QString::number(codDitta),
                  QStringLiteral(" ORDER BY CG19_PROGESER ")});
}

QString sqlSediDitta(int codDitta, const QString& aziende) {
    if (aziende.isEmpty()) {
        return lines({QStringLiteral(" SELECT  CG31_CODICE "),
                      QStringLiteral(" FROM    CG31_ANADITTASEDI WITH(NOLOCK) "),
                      QStringLiteral(" WHERE   CG31_DITTA_CG18 = ") + QString::number(codDitta),
                      QStringLiteral(" GROUP BY CG31_CODICE ")});
    }
    // The company list comes from the associated-companies object, built from numbers.
    return lines({QStringLiteral(" SELECT  CG31_CODICE "),
                  QStringLiteral(" FROM    CG31_ANADITTASEDI WITH(NOLOCK) "),
                  QStringLiteral(" WHERE   CG31_DITTA_CG18 IN "),
                  QStringLiteral("         ( ") + aziende + QStringLiteral(" ) "),
                  QStringLiteral(" GROUP BY CG31_CODICE ")});
}

bool PopolaArray(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("PopolaArray"));
    return trap([&] {
        const std::size_t size = static_cast<std::size_t>(std::max(state.NrForecast, 0)) + 2;
        ValueList tipi{std::vector<Variant>(size), std::vector<Variant>(size)};
        ValueList brevi{std::vector<Variant>(size), std::vector<Variant>(size)};
        const QString consuntivo = messageText(state, Msg::Consuntivo);
        setEntry(tipi, 0, Variant(0), messageText(state, Msg::Budget));
        setEntry(brevi, 0, Variant(0), messageText(state, Msg::BudgetBreve));
        setEntry(tipi, 1, Variant(1), consuntivo);
        setEntry(brevi, 1, Variant(1), consuntivo.left(3));
        const QString forecast = messageText(state, Msg::Forecast);
        for (std::size_t entry = 2; entry < size; ++entry) {
            const int number = static_cast<int>(entry) - 1;
            setEntry(tipi, entry, Variant(number + 2),
                     forecast + QStringLiteral(" ") + QString::number(number));
            setEntry(brevi, entry, Variant(number + 2), forecastLabel(number));
        }
        state.ArrTipoDettaglio = std::move(tipi);
        state.ArrTipoDettaglioBreve = std::move(brevi);
    });
}

bool PopolaArrayPer_QGRID_CONFRONTO(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("PopolaArrayPer_QGRID_CONFRONTO"));
    const int year = QDate::currentDate().year();
    return trap([&] {
               state.ArrAnni = readValueList(connectionOf(state), sqlAnniDitta(state.CodDitta),
                                             QStringLiteral("CG19_ANNO"), Variant(year));
           }) &&
           trap([&] {
               state.ArrProgEser =
                   readValueList(connectionOf(state), sqlProgressiviDitta(state.CodDitta),
                                 QStringLiteral("CG19_PROGESER"), Variant(0));
           }) &&
           trap([&] {
               state.ArrSedi = readValueList(connectionOf(state), sqlSedi(state, year),
                                             QStringLiteral("CG31_CODICE"), Variant(0));
           }) &&
           !trap.left();
}

bool PopolaArrayCaptionColonne(FormState& state) {
    ErrorTrap trap(state, QStringLiteral("PopolaArrayCaptionColonne"));
    return trap([&] {
        if (!state.RstConfronto || state.RstConfronto->RecordCount() == 0) {
            return;
        }
        Recordset& sets = *state.RstConfronto;
        sets.clearFilter();
        sets.setSort(QStringLiteral("CFR_SEQUENZA"));
        state.ArrCaptionColonne = buildCaptions(state, sets);
    });
}

} // namespace bdg
