#pragma once

#include "data/decimal.h"
#include "data/recordset.h"
#include "data/variant.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace bdg {

class Cinterface;
class Connection;
class MessageService;
class ProgressIndicator;
struct ApplicazioneModulo;

/// Raised by the host services when the company database does not hold what they were asked
/// for (an unknown company, a table without the expected columns). The text names the code.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The company the inquiry runs for, as the host knows it. Values that the company table
/// may leave empty are Variants.
struct CompanyContext {
    std::int32_t CodDitta = 0;
    QString RagioneSociale;    ///< company name
    QString CodLingua;         ///< language code of the company's texts
    Variant CodValutaGestione; ///< management currency code; Null when not set
    Variant GestioneSedi;      ///< numeric site setting; > 0 when the company manages sites
};

/// What the currency table says about one currency. Each value may be Null.
struct CurrencyData {
    Variant Descrizione;
    Variant NrDecimali;
    Variant Formato; ///< display mask of the amounts, e.g. "#,##0.00"
};

/// One exchange rate: the latest rate of a currency on or before a date.
struct ExchangeRate {
    QDate DataCambio;            ///< the date of the rate found
    std::int32_t TipoCambio = 0; ///< the rate's kind as the rate table stores it
    Decimal Cambio;              ///< the rate
    /// Quotation kind: true when an amount in management currency is divided by the rate,
    /// false when it is multiplied.
    bool IsCertoIncerto = false;
};

/// The host's global services as the inquiry uses them (Gcls_Global): the message service,
/// the numbered message catalogue, the company context, currency data and exchange rates,
/// and the company database's connection string.
///
/// It reads the host tables of the company database through a connection that it does not
/// own; the message service is not owned either.
class HostGlobal {
public:
    /// Rate kind in the exchange-rate recordset when no usable rate was found.
    static constexpr std::int32_t NoRate = -1;
    /// Decimals a currency may have: the amounts of the company database keep five.
    static constexpr int MaxNrDecimali = 5;

    HostGlobal(MessageService* messages, Connection* connection, const QString& connectionString);
    HostGlobal(const HostGlobal&) = delete;
    HostGlobal& operator=(const HostGlobal&) = delete;

    // Messages.
    MessageService* messageService() const { return m_messages; }
    /// Shows a free text and returns the answer. A text of digits only that the catalogue
    /// holds as a message number shows that message (the host's callers pass numbers so).
    int ShowMessage(const QString& text, int style, const QString& title);
    /// Shows a catalogue message; `params` replace %1, %2, ... in its text.
    int ShowMessageNumber(int number, int style, const QString& title,
                          const QStringList& params = {});
    /// The text of a catalogue message in the company's language (falling back to the
    /// catalogue's default language), with %1, %2, ... replaced by `params`. A number the
    /// catalogue does not hold gives a text that names it, never an empty caption.
    QString GetMessageText(int number, const QStringList& params = {});

    /// Title of the host application, shown on error dialogs.
    QString applicationTitle() const { return m_applicationTitle; }
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }

    // Company context.
    /// Reads the company's settings; HostError when the company table does not hold it.
    void ApriDitta(std::int32_t codDitta);
    /// True once ApriDitta succeeded.
    bool isDittaAperta() const { return m_isDittaAperta; }
    const CompanyContext& Ditta() const { return m_ditta; }
    std::int32_t CodDitta() const { return m_ditta.CodDitta; }
    QString RagioneSociale() const { return m_ditta.RagioneSociale; }
    QString CodLingua() const { return m_ditta.CodLingua; }
    Variant CodValutaGestione() const { return m_ditta.CodValutaGestione; }
    Variant GestioneSedi() const { return m_ditta.GestioneSedi; }

    // Currencies.
    /// Description, decimals and display mask of a currency; nothing for an unknown code.
    /// HostError when the decimals are not a number from 0 to MaxNrDecimali.
    std::optional<CurrencyData> DatiValuta(const QString& codValuta);
    /// The latest rate of `codValuta` dated on or before `date`; nothing when there is none.
    std::optional<ExchangeRate> Cambio(const QString& codValuta, const QDate& date);
    /// The same answer as a one-row recordset with fields TIPOCAMBIO (Integer), CAMBIO
    /// (Decimal), INDCERTOINCERTO (Boolean) and DATACAMBIO (text yyyy-MM-dd); with no rate
    /// TIPOCAMBIO is NoRate and the other fields are Null.
    RecordsetPtr GetCambio(const QString& codValuta, const QDate& date);

    // Connection.
    QString StringaConnessione() const { return m_connectionString; }
    Connection* connection() const { return m_connection; }

    // What the host offers the modules besides messages and data.
    /// The host's own progress indicator; null when it has none.
    ProgressIndicator* progressIndicator() const { return m_progress; }
    void setProgressIndicator(ProgressIndicator* progress) { m_progress = progress; }
    /// The application object of the library whose form started last; null before.
    const ApplicazioneModulo* applicazioneModulo() const { return m_applicazione; }
    void setApplicazioneModulo(const ApplicazioneModulo* applicazione) {
        m_applicazione = applicazione;
    }

    // The module in front: the navigator's commands go to it.
    void setActiveInterface(Cinterface* module) { m_activeInterface = module; }
    Cinterface* activeInterface() const { return m_activeInterface; }
    /// A module that closes is forgotten (when it is the one in front).
    void releaseInterface(Cinterface* module) {
        if (m_activeInterface == module)
            m_activeInterface = nullptr;
    }

private:
    /// The catalogue text of a number in the company's language or the shipped one.
    std::optional<QString> catalogueText(int number);

    MessageService* m_messages;
    Connection* m_connection;
    QString m_connectionString;
    QString m_applicationTitle;
    CompanyContext m_ditta;
    bool m_isDittaAperta = false;
    Cinterface* m_activeInterface = nullptr;
    ProgressIndicator* m_progress = nullptr;
    const ApplicazioneModulo* m_applicazione = nullptr;
};

} // namespace bdg
