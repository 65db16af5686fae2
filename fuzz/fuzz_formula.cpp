// libFuzzer driver: the formula language. Any text ends, in its time, as a value or as a
// wrong formula; it never crashes or overflows the stack.
#include "engine/formula_evaluator_lingua.h"

#include <QString>

#include <chrono>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        bdg::formula::valuta(text, std::chrono::steady_clock::now() + std::chrono::seconds(1));
    } catch (const bdg::formula::FormulaErrata&) {
    }
    return 0;
}
