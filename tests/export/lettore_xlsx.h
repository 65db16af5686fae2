#pragma once

// Reads back the first sheet of a workbook, independently of the writer: unzip takes the
// parts out of the file, and the sheet, shared strings and styles are read as XML.

#include <QMap>
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

namespace bdg::test {

/// What a cell's style says, as a spreadsheet would show it.
struct StileCella {
    QString formato; ///< the number format's code
    bool grassetto = false;
    QString sfondo;       ///< fill colour as "RRGGBB", empty without a fill
    QString allineamento; ///< horizontal alignment, empty for the default
    bool bordo = false;   ///< a border of any kind
};

class LettoreXlsx {
public:
    explicit LettoreXlsx(const QString& file) {
        leggiStili(parte(file, "xl/styles.xml"));
        QXmlStreamReader stringhe(parte(file, "xl/sharedStrings.xml"));
        while (!stringhe.atEnd()) {
            stringhe.readNext();
            if (stringhe.isStartElement() && stringhe.name() == u"si")
                m_stringhe << QString();
            else if (stringhe.isStartElement() && stringhe.name() == u"t")
                m_stringhe.last() += stringhe.readElementText();
        }
        leggiFoglio(parte(file, "xl/worksheets/sheet1.xml"));
    }

    /// The value of a cell ("B12"): its text, or its number as the file holds it.
    QString valore(const QString& cella) const { return m_valori.value(cella); }
    bool esiste(const QString& cella) const { return m_valori.contains(cella); }
    bool isNumero(const QString& cella) const { return m_numeri.contains(cella); }
    StileCella stile(const QString& cella) const { return m_stili.value(m_stile.value(cella)); }
    /// The values of row `riga` from column A to the last cell written.
    QStringList riga(int riga) const { return m_righe.value(riga); }
    const QStringList& unioni() const { return m_unioni; }
    /// The first cell below the frozen panes; empty when none are frozen.
    const QString& bloccoRiquadri() const { return m_blocco; }

private:
    static QByteArray parte(const QString& file, const char* nome) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QLatin1String(nome)});
        unzip.waitForFinished(30000);
        return unzip.readAllStandardOutput();
    }

    void leggiStili(const QByteArray& xml) {
        QMap<int, QString> formati{{0, "General"}, {3, "#,##0"}, {4, "#,##0.00"}};
        QList<bool> grassetti;
        QStringList sfondi;
        QString sezione;
        QXmlStreamReader xmlStili(xml);
        while (!xmlStili.atEnd()) {
            xmlStili.readNext();
            if (!xmlStili.isStartElement())
                continue;
            const auto nome = xmlStili.name();
            const auto attributo = [&](const char* chiave) {
                return xmlStili.attributes().value(QLatin1String(chiave));
            };
            if (nome == u"fonts" || nome == u"fills" || nome == u"cellXfs")
                sezione = nome.toString();
            else if (nome == u"numFmt")
                formati[attributo("numFmtId").toInt()] = attributo("formatCode").toString();
            else if (nome == u"font")
                grassetti << false;
            else if (nome == u"b" && sezione == u"fonts")
                grassetti.last() = true;
            else if (nome == u"fill")
                sfondi << QString();
            else if (nome == u"fgColor" && sezione == u"fills")
                sfondi.last() = attributo("rgb").toString().right(6);
            else if (nome == u"xf" && sezione == u"cellXfs")
                m_stili << StileCella{formati.value(attributo("numFmtId").toInt()),
                                      grassetti.value(attributo("fontId").toInt()),
                                      sfondi.value(attributo("fillId").toInt()), QString(),
                                      attributo("borderId").toInt() != 0};
            else if (nome == u"alignment" && sezione == u"cellXfs")
                m_stili.last().allineamento = attributo("horizontal").toString();
        }
    }

    void leggiFoglio(const QByteArray& xml) {
        QXmlStreamReader foglio(xml);
        QString cella;
        while (!foglio.atEnd()) {
            foglio.readNext();
            if (!foglio.isStartElement())
                continue;
            const QXmlStreamAttributes attributi = foglio.attributes();
            if (foglio.name() == u"c") {
                cella = attributi.value("r").toString();
                m_valori[cella] = QString();
                m_stile[cella] = attributi.value("s").toInt();
                if (!attributi.hasAttribute("t"))
                    m_numeri[cella] = true;
            } else if (foglio.name() == u"v") {
                const QString testo = foglio.readElementText();
                m_valori[cella] =
                    m_numeri.contains(cella) ? testo : m_stringhe.value(testo.toInt());
                colloca(cella);
            } else if (foglio.name() == u"mergeCell") {
                m_unioni << attributi.value("ref").toString();
            } else if (foglio.name() == u"pane" && attributi.value("state") == u"frozen") {
                m_blocco = attributi.value("topLeftCell").toString();
            }
        }
    }

    // Puts a cell's value in its row, at its column (letters counted from A = 0).
    void colloca(const QString& cella) {
        int colonna = 0;
        qsizetype lettere = 0;
        for (; lettere < cella.size() && cella.at(lettere).isLetter(); ++lettere)
            colonna = colonna * 26 + (cella.at(lettere).unicode() - 'A' + 1);
        QStringList& valori = m_righe[cella.mid(lettere).toInt()];
        while (valori.size() < colonna)
            valori << QString();
        valori[colonna - 1] = m_valori.value(cella);
    }

    QStringList m_stringhe;
    QList<StileCella> m_stili;
    QMap<QString, QString> m_valori;
    QMap<QString, int> m_stile;
    QMap<QString, bool> m_numeri;
    QMap<int, QStringList> m_righe;
    QStringList m_unioni;
    QString m_blocco;
};

} // namespace bdg::test
