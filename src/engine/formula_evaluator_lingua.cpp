#include "engine/formula_evaluator_lingua.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace bdg::formula {

namespace {

using Clock = std::chrono::steady_clock;
constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

[[noreturn]] void errata(const QString& testo) {
    throw FormulaErrata(testo.toStdString());
}

// ---------------------------------------------------------------------------------------
// Values, with the conversions JavaScript applies between numbers and truth values

Valore numero(double valore) {
    return Valore{valore, false};
}

Valore logico(bool valore) {
    return Valore{valore ? 1.0 : 0.0, true};
}

bool vero(const Valore& valore) {
    return valore.logico ? valore.numero != 0 : !(valore.numero == 0 || std::isnan(valore.numero));
}

double potenza(double base, double esponente) {
    if (std::isnan(esponente))
        return Nan;
    if (esponente == 0)
        return 1;
    if (std::isnan(base) || (std::fabs(base) == 1 && std::isinf(esponente)))
        return Nan;
    return std::pow(base, esponente);
}

// Math.round: the nearest integer, halves towards +Infinity, -0 kept for -0.5 <= x < 0.
double arrotonda(double valore) {
    if (!std::isfinite(valore) || valore == std::trunc(valore))
        return valore;
    if (valore < 0 && valore >= -0.5)
        return -0.0;
    const double sotto = std::floor(valore);
    return valore - sotto >= 0.5 ? sotto + 1 : sotto;
}

double segnoDi(double valore) {
    if (std::isnan(valore) || valore == 0)
        return valore;
    return valore > 0 ? 1 : -1;
}

std::uint32_t intero32(double valore) {
    if (!std::isfinite(valore))
        return 0;
    double resto = std::fmod(std::trunc(valore), 4294967296.0);
    if (resto < 0)
        resto += 4294967296.0;
    return std::uint32_t(resto);
}

double estremo(const std::vector<double>& valori, bool massimo) {
    double risultato = massimo ? -Inf : Inf;
    bool nan = false;
    for (const double valore : valori) {
        if (std::isnan(valore)) {
            nan = true;
            continue;
        }
        const bool zeri = valore == 0 && risultato == 0;
        const bool meglio = massimo ? (valore > risultato || (zeri && !std::signbit(valore)))
                                    : (valore < risultato || (zeri && std::signbit(valore)));
        if (meglio)
            risultato = valore;
    }
    return nan ? Nan : risultato;
}

double ipotenusa(const std::vector<double>& valori) {
    double risultato = 0;
    bool nan = false;
    for (const double valore : valori) {
        if (std::isinf(valore))
            return Inf;
        nan = nan || std::isnan(valore);
        risultato = std::hypot(risultato, valore);
    }
    return nan ? Nan : risultato;
}

// ---------------------------------------------------------------------------------------
// Math

struct Costante {
    const char* nome;
    double valore;
};

constexpr std::array<Costante, 8> Costanti = {{{"E", 2.718281828459045},
                                               {"LN10", 2.302585092994046},
                                               {"LN2", 0.6931471805599453},
                                               {"LOG10E", 0.4342944819032518},
                                               {"LOG2E", 1.4426950408889634},
                                               {"PI", 3.141592653589793},
                                               {"SQRT1_2", 0.7071067811865476},
                                               {"SQRT2", 1.4142135623730951}}};

/// Arguments a function reads; missing ones are undefined, which is NaN as a number.
double argomento(const std::vector<double>& argomenti, std::size_t indice) {
    return indice < argomenti.size() ? argomenti[indice] : Nan;
}

using Funzione = double (*)(const std::vector<double>&);

struct FunzioneMath {
    const char* nome;
    Funzione funzione;
};

#define BDG_UNARIA(nome, espressione)                                                              \
    {                                                                                              \
        nome, [](const std::vector<double>& a) -> double {                                         \
            const double x = argomento(a, 0);                                                      \
            return espressione;                                                                    \
        }                                                                                          \
    }

const std::array<FunzioneMath, 35> Funzioni = {{
    BDG_UNARIA("abs", std::fabs(x)),
    BDG_UNARIA("acos", std::acos(x)),
    BDG_UNARIA("acosh", std::acosh(x)),
    BDG_UNARIA("asin", std::asin(x)),
    BDG_UNARIA("asinh", std::asinh(x)),
    BDG_UNARIA("atan", std::atan(x)),
    BDG_UNARIA("atanh", std::atanh(x)),
    BDG_UNARIA("cbrt", std::cbrt(x)),
    BDG_UNARIA("ceil", std::ceil(x)),
    BDG_UNARIA("clz32", double(intero32(x) == 0 ? 32 : __builtin_clz(intero32(x)))),
    BDG_UNARIA("cos", std::cos(x)),
    BDG_UNARIA("cosh", std::cosh(x)),
    BDG_UNARIA("exp", std::exp(x)),
    BDG_UNARIA("expm1", std::expm1(x)),
    BDG_UNARIA("floor", std::floor(x)),
    BDG_UNARIA("fround", double(float(x))),
    BDG_UNARIA("log", std::log(x)),
    BDG_UNARIA("log1p", std::log1p(x)),
    BDG_UNARIA("log10", std::log10(x)),
    BDG_UNARIA("log2", std::log2(x)),
    BDG_UNARIA("round", arrotonda(x)),
    BDG_UNARIA("sign", segnoDi(x)),
    BDG_UNARIA("sin", std::sin(x)),
    BDG_UNARIA("sinh", std::sinh(x)),
    BDG_UNARIA("sqrt", std::sqrt(x)),
    BDG_UNARIA("tan", std::tan(x)),
    BDG_UNARIA("tanh", std::tanh(x)),
    BDG_UNARIA("trunc", std::trunc(x)),
    {"atan2",
     [](const std::vector<double>& a) { return std::atan2(argomento(a, 0), argomento(a, 1)); }},
    {"hypot", ipotenusa},
    {"imul",
     [](const std::vector<double>& a) {
         return double(std::int32_t(intero32(argomento(a, 0)) * intero32(argomento(a, 1))));
     }},
    {"max", [](const std::vector<double>& a) { return estremo(a, true); }},
    {"min", [](const std::vector<double>& a) { return estremo(a, false); }},
    {"pow", [](const std::vector<double>& a) { return potenza(argomento(a, 0), argomento(a, 1)); }},
    {"random", nullptr}, // exists, but a formula must give the same figure at every run
}};

#undef BDG_UNARIA

// ---------------------------------------------------------------------------------------
// Tokens

enum class Tipo { Numero, Nome, Segno, Fine };

struct Token {
    Tipo tipo = Tipo::Fine;
    QStringView testo;
    double valore = 0;
};

// Punctuators, longest first, so that "===" is not read as "==" and "=".
constexpr std::array<const char*, 26> Segni = {
    "===", "!==", "**", "==", "!=", "<=", ">=", "&&", "||", "??", "++", "--", "+",
    "-",   "*",   "/",  "%",  "(",  ")",  "<",  ">",  "!",  "?",  ":",  ".",  ","};

bool isInizioNome(QChar carattere) {
    return carattere == u'$' || carattere == u'_' || carattere.isLetter();
}

bool isParteNome(QChar carattere) {
    return isInizioNome(carattere) || carattere.isDigit() || carattere.isMark();
}

bool isSpazio(QChar carattere) {
    return carattere == QChar(0xFEFF) || (carattere.isSpace() && carattere != QChar(0x85));
}

bool isFineRiga(QChar carattere) {
    return carattere == u'\n' || carattere == u'\r' || carattere == QChar(0x2028) ||
           carattere == QChar(0x2029);
}

int cifra(QChar carattere, int base) {
    const char16_t c = carattere.unicode();
    int valore = 99;
    if (c >= u'0' && c <= u'9')
        valore = c - u'0';
    else if (c >= u'a' && c <= u'f')
        valore = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        valore = c - u'A' + 10;
    return valore < base ? valore : -1;
}

class Lettore {
public:
    Lettore(QStringView testo, Clock::time_point scadenza) : m_testo(testo), m_scadenza(scadenza) {
        avanza();
    }

    const Token& token() const { return m_token; }

    void avanza() {
        if (++m_letti % 1024 == 0)
            controllaTempo();
        saltaSpazi();
        if (m_pos >= m_testo.size()) {
            m_token = Token{};
            return;
        }
        const QChar carattere = m_testo[m_pos];
        if (carattere.isDigit() && carattere.unicode() < 128)
            m_token = numero();
        else if (carattere == u'.' && m_pos + 1 < m_testo.size() &&
                 cifra(m_testo[m_pos + 1], 10) >= 0)
            m_token = numero();
        else if (isInizioNome(carattere))
            m_token = nome();
        else
            m_token = segno();
    }

private:
    void controllaTempo() const {
        if (Clock::now() > m_scadenza)
            errata(QStringLiteral("tempo esaurito"));
    }

    QChar at(qsizetype pos) const { return pos < m_testo.size() ? m_testo[pos] : QChar(); }

    void saltaSpazi() {
        while (m_pos < m_testo.size()) {
            if ((m_pos & 0xFFFF) == 0)
                controllaTempo();
            const QChar carattere = m_testo[m_pos];
            if (isSpazio(carattere)) {
                ++m_pos;
            } else if (carattere == u'/' && at(m_pos + 1) == u'/') {
                while (m_pos < m_testo.size() && !isFineRiga(m_testo[m_pos]))
                    ++m_pos;
            } else if (carattere == u'/' && at(m_pos + 1) == u'*') {
                const qsizetype fine = m_testo.indexOf(u"*/", m_pos + 2);
                if (fine < 0)
                    errata(QStringLiteral("commento non chiuso"));
                m_pos = fine + 2;
            } else {
                return;
            }
        }
    }

    double cifreInBase(int base) {
        const qsizetype inizio = m_pos;
        double valore = 0;
        while (m_pos < m_testo.size() && cifra(m_testo[m_pos], base) >= 0)
            valore = valore * base + cifra(m_testo[m_pos++], base);
        if (m_pos == inizio)
            errata(QStringLiteral("numero senza cifre"));
        return valore;
    }

    void cifreDecimali() {
        while (m_pos < m_testo.size() && cifra(m_testo[m_pos], 10) >= 0)
            ++m_pos;
    }

    // A decimal literal as a double, rounded to nearest as JavaScript reads it; beyond the
    // range of doubles, Infinity or zero as its exponent says.
    static double decimale(QStringView testo) {
        const std::string latino = testo.toString().toStdString();
        double valore = 0;
        const auto esito = std::from_chars(latino.data(), latino.data() + latino.size(), valore);
        if (esito.ec != std::errc::result_out_of_range)
            return valore;
        const auto esponente = latino.find_first_of("eE");
        if (esponente != std::string::npos)
            return latino[esponente + 1] == '-' ? 0.0 : Inf;
        // Without an exponent only a fraction of many zeros can be too small.
        const auto punto = latino.find('.');
        return punto != std::string::npos && latino.find_first_not_of("0.") > punto ? 0.0 : Inf;
    }

    Token numero() {
        const qsizetype inizio = m_pos;
        Token token;
        token.tipo = Tipo::Numero;
        const QChar prefisso = at(m_pos + 1).toLower();
        if (m_testo[m_pos] == u'0' && (prefisso == u'x' || prefisso == u'o' || prefisso == u'b')) {
            m_pos += 2;
            token.valore = cifreInBase(prefisso == u'x' ? 16 : prefisso == u'o' ? 8 : 2);
        } else {
            if (m_testo[m_pos] == u'0' && cifra(at(m_pos + 1), 10) >= 0)
                errata(QStringLiteral("numero con zeri iniziali"));
            cifreDecimali();
            if (at(m_pos) == u'.') {
                ++m_pos;
                cifreDecimali();
            }
            if (at(m_pos) == u'e' || at(m_pos) == u'E') {
                ++m_pos;
                if (at(m_pos) == u'+' || at(m_pos) == u'-')
                    ++m_pos;
                const qsizetype cifre = m_pos;
                cifreDecimali();
                if (m_pos == cifre)
                    errata(QStringLiteral("esponente senza cifre"));
            }
            token.valore = decimale(m_testo.mid(inizio, m_pos - inizio));
        }
        // "3in", "1_000": a number must not run into a name or more digits.
        if (m_pos < m_testo.size() && (isParteNome(m_testo[m_pos]) || m_testo[m_pos] == u'\\'))
            errata(QStringLiteral("numero seguito da '%1'").arg(m_testo[m_pos]));
        token.testo = m_testo.mid(inizio, m_pos - inizio);
        return token;
    }

    Token nome() {
        const qsizetype inizio = m_pos;
        while (m_pos < m_testo.size() && isParteNome(m_testo[m_pos]))
            ++m_pos;
        if (at(m_pos) == u'\\')
            errata(QStringLiteral("sequenza di escape in un nome"));
        return Token{Tipo::Nome, m_testo.mid(inizio, m_pos - inizio), 0};
    }

    Token segno() {
        for (const char* segno : Segni) {
            const QLatin1StringView testo(segno);
            if (m_testo.mid(m_pos).startsWith(testo)) {
                const Token token{Tipo::Segno, m_testo.mid(m_pos, testo.size()), 0};
                m_pos += testo.size();
                return token;
            }
        }
        errata(QStringLiteral("carattere non ammesso '%1'").arg(m_testo[m_pos]));
    }

    QStringView m_testo;
    Clock::time_point m_scadenza;
    qsizetype m_pos = 0;
    Token m_token;
    int m_letti = 0;
};

// ---------------------------------------------------------------------------------------
// Expressions, one function per level of JavaScript's precedence

class Analizzatore {
public:
    Analizzatore(QStringView testo, Clock::time_point scadenza) : m_lettore(testo, scadenza) {}

    Valore tutto() {
        if (token().tipo == Tipo::Fine)
            errata(QStringLiteral("formula vuota"));
        const Valore valore = condizionale();
        if (token().tipo != Tipo::Fine)
            inatteso();
        return valore;
    }

private:
    /// One level of nesting for as long as it lives.
    class Livello {
    public:
        explicit Livello(Analizzatore& analizzatore) : m_analizzatore(analizzatore) {
            if (++m_analizzatore.m_profondita > ProfonditaMassima)
                errata(QStringLiteral("formula annidata oltre %1 livelli").arg(ProfonditaMassima));
        }
        ~Livello() { --m_analizzatore.m_profondita; }
        Livello(const Livello&) = delete;
        Livello& operator=(const Livello&) = delete;

    private:
        Analizzatore& m_analizzatore;
    };

    const Token& token() const { return m_lettore.token(); }

    bool e(const char* segno) const {
        return token().tipo == Tipo::Segno && token().testo == QLatin1StringView(segno);
    }

    bool prendi(const char* segno) {
        if (!e(segno))
            return false;
        m_lettore.avanza();
        return true;
    }

    [[noreturn]] void inatteso() const {
        if (token().tipo == Tipo::Fine)
            errata(QStringLiteral("formula incompleta"));
        if (e("++") || e("--"))
            errata(QStringLiteral("'%1' non si applica a un numero").arg(token().testo));
        errata(QStringLiteral("'%1' inatteso").arg(token().testo));
    }

    void atteso(const char* segno) {
        if (!prendi(segno))
            inatteso();
    }

    Valore condizionale() {
        const Livello livello(*this);
        const Valore condizione = oppure();
        if (!prendi("?"))
            return condizione;
        const Valore se = condizionale();
        atteso(":");
        const Valore altrimenti = condizionale();
        return vero(condizione) ? se : altrimenti;
    }

    Valore oppure() {
        Valore valore = eAnche();
        while (prendi("||")) {
            const Valore destro = eAnche();
            valore = vero(valore) ? valore : destro;
        }
        return valore;
    }

    Valore eAnche() {
        Valore valore = uguaglianza();
        while (prendi("&&")) {
            const Valore destro = uguaglianza();
            valore = vero(valore) ? destro : valore;
        }
        return valore;
    }

    Valore uguaglianza() {
        Valore valore = confronto();
        for (;;) {
            const bool stretta = e("===") || e("!==");
            const bool diversa = e("!=") || e("!==");
            if (!stretta && !e("==") && !e("!="))
                return valore;
            m_lettore.avanza();
            const Valore destro = confronto();
            const bool uguali =
                (!stretta || valore.logico == destro.logico) && valore.numero == destro.numero;
            valore = logico(uguali != diversa);
        }
    }

    Valore confronto() {
        Valore valore = somma();
        for (;;) {
            const QStringView operatore = token().testo;
            if (!e("<") && !e(">") && !e("<=") && !e(">="))
                return valore;
            m_lettore.avanza();
            const double a = valore.numero;
            const double b = somma().numero;
            if (operatore == u"<")
                valore = logico(a < b);
            else if (operatore == u">")
                valore = logico(a > b);
            else if (operatore == u"<=")
                valore = logico(a <= b);
            else
                valore = logico(a >= b);
        }
    }

    Valore somma() {
        Valore valore = prodotto();
        for (;;) {
            if (prendi("+"))
                valore = numero(valore.numero + prodotto().numero);
            else if (prendi("-"))
                valore = numero(valore.numero - prodotto().numero);
            else
                return valore;
        }
    }

    Valore prodotto() {
        Valore valore = esponente();
        for (;;) {
            if (prendi("*"))
                valore = numero(valore.numero * esponente().numero);
            else if (prendi("/"))
                valore = numero(valore.numero / esponente().numero);
            else if (prendi("%"))
                valore = numero(std::fmod(valore.numero, esponente().numero));
            else
                return valore;
        }
    }

    // "-2 ** 2" is a syntax error: a unary expression cannot be the base of **.
    Valore esponente() {
        if (e("-") || e("+") || e("!")) {
            const Valore valore = unario();
            if (e("**"))
                errata(QStringLiteral("'**' dopo un operatore unario: servono le parentesi"));
            return valore;
        }
        const Valore base = primario();
        if (!prendi("**"))
            return base;
        const Livello livello(*this);
        return numero(potenza(base.numero, esponente().numero));
    }

    Valore unario() {
        const Livello livello(*this);
        if (prendi("-"))
            return numero(-unario().numero);
        if (prendi("+"))
            return numero(unario().numero);
        if (prendi("!"))
            return logico(!vero(unario()));
        return primario();
    }

    Valore primario() {
        const Token corrente = token();
        if (corrente.tipo == Tipo::Numero) {
            m_lettore.avanza();
            return numero(corrente.valore);
        }
        if (prendi("(")) {
            const Valore valore = condizionale();
            atteso(")");
            return valore;
        }
        if (corrente.tipo != Tipo::Nome)
            inatteso();
        m_lettore.avanza();
        if (corrente.testo == u"true" || corrente.testo == u"false")
            return logico(corrente.testo == u"true");
        if (corrente.testo == u"Infinity")
            return numero(Inf);
        if (corrente.testo == u"NaN")
            return numero(Nan);
        if (corrente.testo != u"Math")
            errata(QStringLiteral("nome sconosciuto '%1'").arg(corrente.testo));
        return math();
    }

    Valore math() {
        atteso(".");
        const Token membro = token();
        if (membro.tipo != Tipo::Nome)
            inatteso();
        m_lettore.avanza();
        for (const Costante& costante : Costanti) {
            if (membro.testo == QLatin1StringView(costante.nome))
                return numero(costante.valore);
        }
        for (const FunzioneMath& funzione : Funzioni) {
            if (membro.testo != QLatin1StringView(funzione.nome))
                continue;
            if (funzione.funzione == nullptr)
                errata(QStringLiteral("Math.%1 darebbe un valore diverso a ogni elaborazione")
                           .arg(membro.testo));
            if (!e("("))
                errata(
                    QStringLiteral("Math.%1 va chiamata con i suoi argomenti").arg(membro.testo));
            return numero(funzione.funzione(argomenti()));
        }
        errata(QStringLiteral("Math.%1 non esiste").arg(membro.testo));
    }

    std::vector<double> argomenti() {
        const Livello livello(*this);
        atteso("(");
        std::vector<double> valori;
        while (!prendi(")")) {
            valori.push_back(condizionale().numero);
            if (!e(")"))
                atteso(",");
        }
        return valori;
    }

    Lettore m_lettore;
    int m_profondita = 0;
};

} // namespace

Valore valuta(QStringView testo, Clock::time_point scadenza) {
    return Analizzatore(testo, scadenza).tutto();
}

} // namespace bdg::formula
