#pragma once

#include "data/recordset.h"
#include "data/variant.h"

#include <QString>

#include <cstdint>
#include <stdexcept>

namespace bdg {

struct FormState;

/// Field names of the per-set columns: the set's rank in ascending CFR_SEQUENZA, in decimal.
QString FieldImp(int setIndex);
QString FieldDeltaImp(int setIndex);
QString FieldDeltaPerc(int setIndex);

/// Appends IMP1 and, for every further set, IMPi, DELTA_IMPi and DELTA_PERCi; the three
/// result tables share this tail. A Null scale falls back to 2 decimals.
void AppendCampiConfronto(Recordset& recordset, int nrConfronti, const Variant& nrDecimali);

/// Creates the empty, open criterion table for the run's NrConfronti and NrDecimali.
/// Trapped under "BdgIntRic_DefinisciRstCriterio": after an abort it returns null.
RecordsetPtr BdgIntRic_DefinisciRstCriterio(FormState& state);

/// The key multiplier of a level that returned `count` structure rows: the smallest
/// multiple of 10 above the count, at most 200 (Null counts as 0).
std::int32_t GetNrVociPerLivello(const Variant& count);

/*
 * Node keys.
 *
 * A node key encodes the node's path: a top item's key is its position, a deeper item's
 * key is its parent's key times the multiplier of its level plus its position, and an
 * account's key is its item's key times 500 plus its ordinal under the item. Keys stay
 * unique and every child sorts after its parent only while each position lies in
 * 1 .. multiplier - 1, each item has at most 499 accounts and every key fits the 32-bit
 * KEY_VOCE field. The functions below compute keys in 64 bits and refuse, naming the
 * offending item, whatever would break one of those limits, so that a criterion too deep
 * or too wide is reported instead of producing a tree with nodes in the wrong place.
 */

/// Accounts an item may hold: the ordinal of an account must stay below this.
constexpr std::int64_t KeyVoceContiPerVoce = 500;

/// A node key that cannot be given without breaking the key limits. The text is meant
/// for the user and names the item (and the account) concerned.
class KeyVoceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Key of an item at `position` under the node with `parentKey` (0 for a top item) on a
/// level whose multiplier is `multiplier`. Raises KeyVoceError naming `voce` when the
/// position is below 1 or not below the multiplier, or the key leaves the 32-bit range.
std::int32_t KeyVoceItem(std::int64_t parentKey, std::int32_t multiplier, std::int64_t position,
                         const QString& voce);

/// Key of the account `conto` with ordinal `ordinal` (1, 2, ...) under the item `voce`
/// whose key is `itemKey`. Raises KeyVoceError when the ordinal is below 1 or reaches
/// 500, or the key leaves the 32-bit range.
std::int32_t KeyVoceConto(std::int64_t itemKey, std::int64_t ordinal, const QString& voce,
                          const QString& conto);

} // namespace bdg
