#pragma once

#include <QString>

class QTextStream;

namespace bdg {

class Risultato;

/// The result as a text table for a terminal: the tree in display order with its items
/// indented by level, the run's captions over the amount columns, amounts and percentages
/// in the run's masks. The description column takes what the amounts leave of the width.
class TabellaTesto {
public:
    /// Per-period tables: none, one under every node, or only under the node `nodo`.
    enum class Periodi { Nessuno, Tutti, Nodo };

    /// `larghezza` is the terminal's width in characters; 0 when there is none to fit.
    explicit TabellaTesto(int larghezza = 120) : m_larghezza(larghezza) {}

    void setPeriodi(Periodi periodi, const QString& nodo = QString());

    void write(Risultato& risultato, QTextStream& out) const;

private:
    int m_larghezza;
    Periodi m_periodi = Periodi::Nessuno;
    QString m_nodo;
};

} // namespace bdg
