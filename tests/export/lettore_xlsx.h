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
    bool bordo = false;   ///< a border on every side
};

struct CellaXlsx {
    QString valore; ///< the text, or the number as the file holds it
    bool numero = false;
    int stile = 0;
};

class LettoreXlsx {
public:
    explicit LettoreXlsx(const QString& file) {
        leggiStringhe(parte(file, "xl/sharedStrings.xml"));
        leggiStili(parte(file, "xl/styles.xml"));
        leggiFoglio(parte(file, "xl/worksheets/sheet1.xml"));
    }

    bool isVuoto() const { return m_celle.isEmpty(); }
    /// The value of a cell ("B12"); empty for a cell that is not there.
    QString valore(const QString& cella) const { return m_celle.value(cella).valore; }
    bool isNumero(const QString& cella) const { return m_celle.value(cella).numero; }
    bool esiste(const QString& cella) const { return m_celle.contains(cella); }
    StileCella stile(const QString& cella) const {
        return m_stili.value(m_celle.value(cella).stile);
    }
    /// The values of a row from column A to the last column written, blanks included.
    QStringList riga(int riga) const {
        QStringList valori;
        for (auto cella = m_celle.cbegin(); cella != m_celle.cend(); ++cella) {
            const int colonna = colonnaDi(cella.key());
            if (cella.key().mid(lettere(cella.key()).size()).toInt() != riga)
                continue;
            while (valori.size() <= colonna)
                valori << QString();
            valori[colonna] = cella->valore;
        }
        return valori;
    }
    const QStringList& unioni() const { return m_unioni; }
    /// The first cell below and right of the frozen panes; empty when none are frozen.
    const QString& bloccoRiquadri() const { return m_blocco; }
    /// The hidden columns, by their 1-based number.
    const QList<int>& colonneNascoste() const { return m_nascoste; }

private:
    static QByteArray parte(const QString& file, const char* nome) {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file, QLatin1String(nome)});
        unzip.waitForFinished(30000);
        return unzip.readAllStandardOutput();
    }
    static QString lettere(const QString& cella) {
        qsizetype fine = 0;
        while (fine < cella.size() && cella.at(fine).isLetter())
            ++fine;
        return cella.left(fine);
    }
    static int colonnaDi(const QString& cella) {
        int colonna = 0;
        for (const QChar lettera : lettere(cella))
            colonna = colonna * 26 + (lettera.unicode() - 'A' + 1);
        return colonna - 1;
    }

    void leggiStringhe(const QByteArray& xml) {
        QXmlStreamReader lettore(xml);
        while (!lettore.atEnd()) {
            lettore.readNext();
            if (lettore.isStartElement() && lettore.name() == u"si")
                m_stringhe << testoSi(lettore);
        }
    }
    static QString testoSi(QXmlStreamReader& lettore) {
        QString testo;
        while (!(lettore.isEndElement() && lettore.name() == u"si") && !lettore.atEnd()) {
            lettore.readNext();
            if (lettore.isStartElement() && lettore.name() == u"t")
                testo += lettore.readElementText();
        }
        return testo;
    }

    void leggiStili(const QByteArray& xml) {
        QMap<int, QString> formati{{0, "General"}, {3, "#,##0"}, {4, "#,##0.00"}};
        QList<bool> grassetti;
        QStringList sfondi;
        QList<bool> bordi;
        QString sezione;
        QXmlStreamReader lettore(xml);
        while (!lettore.atEnd()) {
            lettore.readNext();
            if (!lettore.isStartElement())
                continue;
            const auto nome = lettore.name();
            const auto attributi = lettore.attributes();
            if (nome == u"fonts" || nome == u"fills" || nome == u"borders" || nome == u"cellXfs")
                sezione = nome.toString();
            else if (nome == u"numFmt")
                formati[attributi.value("numFmtId").toInt()] =
                    attributi.value("formatCode").toString();
            else if (nome == u"font")
                grassetti << false;
            else if (nome == u"b" && sezione == u"fonts")
                grassetti.last() = true;
            else if (nome == u"fill")
                sfondi << QString();
            else if (nome == u"fgColor" && sezione == u"fills")
                sfondi.last() = attributi.value("rgb").toString().right(6);
            else if (nome == u"border")
                bordi << true;
            else if ((nome == u"left" || nome == u"right" || nome == u"top" || nome == u"bottom") &&
                     sezione == u"borders" && !attributi.hasAttribute("style"))
                bordi.last() = false;
            else if (nome == u"xf" && sezione == u"cellXfs")
                m_stili << StileCella{formati.value(attributi.value("numFmtId").toInt()),
                                      grassetti.value(attributi.value("fontId").toInt()),
                                      sfondi.value(attributi.value("fillId").toInt()), QString(),
                                      bordi.value(attributi.value("borderId").toInt())};
            else if (nome == u"alignment" && sezione == u"cellXfs")
                m_stili.last().allineamento = attributi.value("horizontal").toString();
        }
    }

    void leggiFoglio(const QByteArray& xml) {
        QXmlStreamReader lettore(xml);
        QString cella;
        while (!lettore.atEnd()) {
            lettore.readNext();
            if (!lettore.isStartElement())
                continue;
            const auto attributi = lettore.attributes();
            if (lettore.name() == u"c") {
                cella = attributi.value("r").toString();
                m_celle[cella] = CellaXlsx{QString(), !attributi.hasAttribute("t"),
                                           attributi.value("s").toInt()};
            } else if (lettore.name() == u"v") {
                const QString testo = lettore.readElementText();
                m_celle[cella].valore =
                    m_celle[cella].numero ? testo : m_stringhe.value(testo.toInt());
            } else if (lettore.name() == u"mergeCell") {
                m_unioni << attributi.value("ref").toString();
            } else if (lettore.name() == u"pane" && attributi.value("state") == u"frozen") {
                m_blocco = attributi.value("topLeftCell").toString();
            } else if (lettore.name() == u"col" && attributi.value("hidden") == u"1") {
                for (int colonna = attributi.value("min").toInt();
                     colonna <= attributi.value("max").toInt(); ++colonna)
                    m_nascoste << colonna;
            }
        }
    }

    QStringList m_stringhe;
    QList<StileCella> m_stili;
    QMap<QString, CellaXlsx> m_celle;
    QStringList m_unioni;
    QString m_blocco;
    QList<int> m_nascoste;
};

} // namespace bdg::test
