#pragma once

#include "data/variant.h"

#include <QHash>
#include <QString>

#include <stdexcept>
#include <vector>

namespace bdg {

class Connection;

/// Deepest criterion level a run walks and numbers. Sixteen levels hold the deepest chart
/// of reports with room to spare, and keep the node keys of such a criterion far inside
/// their 64-bit range.
constexpr int LivelliCriterioMassimi = 16;

/// A criterion structure that is not a tree the run can walk: the text names every item
/// concerned and says what is wrong with it.
class StrutturaCriterioError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// One row of BU20_STRUTTURACRIT as read, with whether its item exists in BU19_VOCICRITELAB.
struct RigaStruttura {
    Variant voce;
    Variant padre;
    Variant posizione;
    bool inAnagrafica = true;
};

/// One item of the checked tree.
struct VoceStruttura {
    QString voce;
    QString padre; ///< empty for a top item
    Variant posizione;
    int livello = 1;
    int rango = 0;            ///< 1, 2, ... among its siblings in position order, code on ties
    int indicePadre = -1;     ///< index of the parent in StrutturaCriterio::voci(), -1 at the top
    std::vector<int> figli{}; ///< indexes of the children, in rank order
};

/*
 * The tree of one criterion, read whole before the level walk and checked.
 *
 * The walk only ever meets the items that descend from the top items, so an item whose
 * parent is blank, missing or itself, or that sits in a cycle, would vanish with its
 * accounts and change the totals without a word. Reading the structure once up front lets
 * the run refuse such a criterion naming every item concerned, and gives the node keys the
 * whole tree (positions, levels, ranks) before the first row is written.
 */
class StrutturaCriterio {
public:
    /// Checks the rows of `criterio`; StrutturaCriterioError listing every problem when they
    /// do not form a tree of at most LivelliCriterioMassimi levels.
    StrutturaCriterio(QString criterio, const std::vector<RigaStruttura>& righe);

    /// Reads the structure of `criterio` from the company database in one statement.
    static StrutturaCriterio leggi(Connection& connection, const QString& criterio);

    const QString& criterio() const { return m_criterio; }
    /// Items level by level; within a level by parent, in the order of the level above,
    /// then by rank.
    const std::vector<VoceStruttura>& voci() const { return m_voci; }
    /// Index of an item in voci(), -1 when the criterion has no such item.
    int indice(const QString& voce) const { return m_indici.value(voce, -1); }
    /// Number of levels (0 for a criterion without items) and items of one level (1..).
    int livelli() const { return int(m_perLivello.size()); }
    int vociLivello(int livello) const { return m_perLivello.at(std::size_t(livello - 1)); }
    /// The top items' indexes in rank order.
    const std::vector<int>& radici() const { return m_radici; }

private:
    QString m_criterio;
    std::vector<VoceStruttura> m_voci;
    QHash<QString, int> m_indici;
    std::vector<int> m_perLivello;
    std::vector<int> m_radici;
};

/// A code as the tree compares it: Null stays null, trailing blanks of a fixed-width column
/// are dropped.
QString CodiceVoce(const Variant& value);

} // namespace bdg
