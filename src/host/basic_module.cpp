#include "host/basic_module.h"

#include <limits>

namespace bdg {

// A value the 16-bit field cannot hold is an error of the conversion: the field keeps what
// it had, as a failing statement is skipped.
void BasicModule::store16(std::int16_t& target, std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max())
        return;
    target = std::int16_t(value);
}

// A position comes as whatever the host holds (a number, a numeric text); fractions are
// rounded, and anything that is no 32-bit number leaves the field as it was.
void BasicModule::store32(std::int32_t& target, const Variant& value) {
    const std::optional<Decimal> number = value.toDecimal();
    if (!number)
        return;
    if (const auto whole = Variant(number->round(0)).toInt32())
        target = *whole;
}

Variant BasicModule::TransferData(const Variant& Data) {
    if (m_eventi != nullptr)
        m_eventi->DataTransfer(Variant(Data));
    return Variant();
}

} // namespace bdg
