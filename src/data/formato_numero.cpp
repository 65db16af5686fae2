#include "data/formato_numero.h"

namespace bdg {

FormatoNumero::FormatoNumero(const QString& maschera) {
    m_percentuale = maschera.contains(QLatin1Char('%'));
    const qsizetype punto = maschera.indexOf(QLatin1Char('.'));
    const QString intera = punto < 0 ? maschera : maschera.left(punto);
    m_raggruppamento = intera.contains(QLatin1Char(','));
    if (punto < 0)
        return;
    // "0" after the point is a decimal always shown, "#" one shown only when not zero.
    for (const QChar c : maschera.mid(punto + 1)) {
        if (c == QLatin1Char('0')) {
            ++m_decimali;
            m_decimaliMinimi = m_decimali;
        } else if (c == QLatin1Char('#')) {
            ++m_decimali;
        }
    }
}

QString FormatoNumero::raggruppa(const QString& cifre) const {
    if (!m_raggruppamento)
        return cifre;
    QString testo;
    const qsizetype lunghezza = cifre.size();
    for (qsizetype posizione = 0; posizione < lunghezza; ++posizione) {
        if (posizione > 0 && (lunghezza - posizione) % 3 == 0)
            testo += QLatin1Char('.');
        testo += cifre.at(posizione);
    }
    return testo;
}

QString FormatoNumero::format(const Decimal& value) const {
    Decimal numero = m_percentuale ? value * Decimal(100) : value;
    numero = numero.round(m_decimali).rescaled(m_decimali);
    const bool negativo = numero.sign() < 0;
    QString testo = numero.abs().toString();
    QString intera = testo.section(QLatin1Char('.'), 0, 0);
    QString decimali = testo.section(QLatin1Char('.'), 1, 1);
    while (decimali.size() > m_decimaliMinimi && decimali.endsWith(QLatin1Char('0')))
        decimali.chop(1);
    testo = raggruppa(intera);
    if (!decimali.isEmpty())
        testo += QLatin1Char(',') + decimali;
    if (negativo)
        testo.prepend(QLatin1Char('-'));
    if (m_percentuale)
        testo += QLatin1Char('%');
    return testo;
}

} // namespace bdg
